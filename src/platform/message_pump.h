#pragma once

namespace tw {

// Lets the platform process the window messages that are pending, once.
// Long jobs call it between their steps so the window stays responsive;
// timer handlers may run re-entrantly inside it.
class MessagePump {
public:
    virtual ~MessagePump() = default;
    virtual void Yield() = 0;
};

// What a long job needs of the program while it runs: the pump it yields
// to between its items, and the two flags that end it (the user's cancel,
// the program's exit), which the handlers run inside a yield may set.
struct JobControl {
    MessagePump& pump;
    const bool& cancelRequested;
    const bool& quitting;
    bool Stopped() const { return cancelRequested || quitting; }
};

}  // namespace tw
