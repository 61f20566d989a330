#include "app/program_palette.h"

QPalette programPalette() {
    // Every role is derived from a light button colour: black text, white boxes.
    return QPalette(QColor(240, 240, 240));
}
