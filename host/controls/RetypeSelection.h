#pragma once

class QWidget;

// After a check refused a box's value and put the focus back on it: selects the whole text, so that
// what the user types next replaces the refused value instead of joining it. While the box's window
// waits for the window manager to give it the activation back (a moment after the message closes), the
// text is selected again when the focus returns, unless a click brings it back. Widgets other than
// line edits are left alone.
namespace RetypeSelection {

void Select(QWidget* box);

} // namespace RetypeSelection
