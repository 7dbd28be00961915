#pragma once
#include <string>

namespace tw {

enum class BoxIcon { None, Information, Exclamation, Question };
enum class BoxButtons { Ok, YesNo, OkCancel, YesNoCancel };
enum class BoxDefault { First, Second };
enum class BoxAnswer { Ok, Yes, No, Cancel };

// Modal message boxes owned by the program.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual BoxAnswer Show(const std::string& text, const std::string& caption,
                           BoxIcon icon, BoxButtons buttons, BoxDefault defaultButton) = 0;
};

}  // namespace tw
