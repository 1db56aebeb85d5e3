#pragma once

class QString;
class TDBGrid;
class TLabel;

// Where the design font is not installed, the fixed sizes of the screen definition may be too small for
// the font in use. These widen what the font needs, measured with it, and never shrink a size the
// definition gives.
namespace ScreenFit {

// Keeps the label's width while its caption fits; widens it up to `room` pixels otherwise, and past
// that makes its font smaller until the caption fits.
void FitLabel(TLabel& label, int room);
// Widens the column so that its title and `content` pixels of its cells' content show whole.
void WidenColumn(TDBGrid& grid, int index, int content);
// The column takes the room the others leave and gives it back as the grid grows.
void StretchColumn(TDBGrid& grid, int index);

} // namespace ScreenFit
