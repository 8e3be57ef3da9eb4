// An editable drop-down list, sorted or in the order entries came.
#pragma once

#include "Control.h"
#include "ControlEvents.h"

#include <QComboBox>
#include <QStringList>

class TComboBox : public TControl<QComboBox> {
public:
    TComboBox(QWidget* parent, int left, int top, int width, int height);
    // Runs when the user picks an entry or edits the text.
    TNotifyEvent OnChange;
    QString Text() const { return currentText(); }
    void SetText(const QString& text);
    QStringList Items() const;
    void AddItem(const QString& item);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int index) { setCurrentIndex(index); }
    // Called when the list drops down: it widens to its longest entry.
    void showPopup() override;

private:
    bool sorted_ = false;
};
