#pragma once
// Resource ids shared by the resource script and the code.
#define IDI_APP 1
// The pad pictures, one strip of 20 a size (pixels a side in the name).
#define IDB_PADS_18 101
#define IDB_PADS_27 102
#define IDB_PADS_36 103
