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

}  // namespace tw
