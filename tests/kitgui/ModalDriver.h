#pragma once

#include <QWidget>
#include <functional>

// Drives a modal window from inside its own event loop: once a modal window is active, `act` gets
// it. A failed check inside `act` closes the window so the test ends instead of hanging.
void whenModal(std::function<void(QWidget*)> act);
