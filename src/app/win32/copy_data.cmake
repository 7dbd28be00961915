# Copies the files that ship beside the exe, skipping those not written yet.
# configure_file leaves the copy alone when it is already the same.
foreach(name readme.txt version.txt)
  if(EXISTS ${SRC}/${name})
    configure_file(${SRC}/${name} ${DST}/${name} COPYONLY)
  endif()
endforeach()
