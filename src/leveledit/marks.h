// The level editor's marks: drawn over the game's own pictures of the codes
// whose pictures hide what they are in play (the false brick, the brick
// that hides an enemy and its bonus, the escape ladder, the starts, the
// flashing object), so that every code can be told apart on the field and
// in the palette. Play never draws them.
#pragma once

// Draws the mark of tile code `code` over the 24 by 24 picture at (x, y);
// codes without a mark draw nothing.
void draw_editor_mark(int x, int y, int code);
