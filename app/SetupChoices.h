// What the setup dialog shows beside the drawing settings: the choices
// setup.ini keeps, and what the bar's first show found. The bar holds them,
// so that a start need not build the dialog; the dialog, once built, shows
// them and writes the user's changes back.
#pragma once

#include "Shape.h"

#include <QString>

struct SetupChoices {
    // "Always a Tablet" on the dialog; the bar's own box is apart from it.
    bool tablet = false;
    // The stamp installed; empty for the default one.
    QString stampFile;
    // Whether the on-screen keyboard program is there.
    bool keyboardFound = true;
    // Whether the line pen came from setup.ini: the dialog then shows it
    // on its pen choices and slider.
    bool linePenStored = false;
    // The figure of the box tool chosen last, on the dialog's fill sample.
    TShapeType boxShape = stRectangle;
};
