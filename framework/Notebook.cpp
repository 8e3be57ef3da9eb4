#include "Notebook.h"

TNotebook::TNotebook(QWidget* parent, const QStringList& pages, int left, int top, int width, int height)
    : TControl(parent), captions_(pages)
{
    setGeometry(left, top, width, height);
    for (const QString& caption : pages) {
        auto* page = new QWidget(this);
        page->setObjectName(caption);
        addWidget(page);
    }
}
