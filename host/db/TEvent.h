#pragma once

#include <functional>
#include <utility>

// A single-handler event property, as components expose them (OnChange, BeforePost, ...).
// Raising an event with no handler does nothing; the handler may throw, and the error travels to
// whoever raised the event.
template <typename... Args> class TEvent {
public:
    using Handler = std::function<void(Args...)>;

    TEvent() = default;
    TEvent& operator=(Handler handler)
    {
        handler_ = std::move(handler);
        return *this;
    }
    void clear() { handler_ = nullptr; }
    explicit operator bool() const { return static_cast<bool>(handler_); }

    void operator()(Args... args) const
    {
        if (handler_)
            handler_(std::forward<Args>(args)...);
    }

private:
    Handler handler_;
};
