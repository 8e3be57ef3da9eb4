// The control kinds the forms use, each a small Qt widget that keeps its
// design position, size and state, with the properties and events the forms
// read and write. Each kind has its own header; this one brings them all.
#pragma once

#include "BitBtn.h"
#include "Bevel.h"
#include "CheckBox.h"
#include "ComboBox.h"
#include "Control.h"
#include "ControlEvents.h"
#include "Edit.h"
#include "Image.h"
#include "Label.h"
#include "Notebook.h"
#include "Panel.h"
#include "Shape.h"
#include "SpeedButton.h"
#include "Timer.h"
#include "TrackBar.h"
