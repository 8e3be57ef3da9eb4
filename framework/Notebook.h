// Pages on top of one another, one shown at a time.
#pragma once

#include "Control.h"

#include <QStackedWidget>
#include <QStringList>

class TNotebook : public TControl<QStackedWidget> {
public:
    TNotebook(QWidget* parent, const QStringList& pages, int left, int top, int width, int height);
    QWidget* Page(int index) const { return widget(index); }
    QString PageCaption(int index) const { return captions_.value(index); }
    int PageIndex() const { return currentIndex(); }
    void SetPageIndex(int index) { setCurrentIndex(index); }

private:
    QStringList captions_;
};
