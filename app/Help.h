// The help window: what each control of the bar and each page of the setup
// dialog does, and the keys.
#pragma once

#include "Form.h"

class QTextBrowser;

class TfHelp : public TForm {
public:
    explicit TfHelp(QWidget* owner = nullptr);

    QTextBrowser* Text;
    TBitBtn* btnClose;

    // The words shown, kept apart so the program and its tests read the same text.
    static QString Contents();
};
