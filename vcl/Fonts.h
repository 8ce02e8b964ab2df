// Maps the font families the window's design asks for to faces this system has.
#pragma once

// "LedNumber" and "LedFont" to a seven-segment face, "宋体" to a Song face, each falling back to
// WenQuanYi for the characters it lacks.
void installFontSubstitutions();
