#include "ComboBox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QScrollBar>
#include <algorithm>

TComboBox::TComboBox(QWidget* parent, int left, int top, int width, int height) : TControl(parent)
{
    setGeometry(left, top, width, height);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    auto changed = [this] {
        fireNotify(OnChange, this);
    };
    QObject::connect(this, &QComboBox::activated, changed);
    QObject::connect(lineEdit(), &QLineEdit::textEdited, changed);
}

void TComboBox::SetText(const QString& text)
{
    const QSignalBlocker block(this);
    setEditText(text);
}

QStringList TComboBox::Items() const
{
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items << itemText(i);
    return items;
}

void TComboBox::AddItem(const QString& item)
{
    const QSignalBlocker block(this);
    const QString text = currentText();
    if (!sorted_) {
        addItem(item);
    } else {
        int at = 0;
        while (at < count() && QString::compare(itemText(at), item, Qt::CaseInsensitive) <= 0)
            ++at;
        insertItem(at, item);
    }
    setEditText(text);
}

void TComboBox::SetSorted(bool sorted)
{
    sorted_ = sorted;
    if (!sorted)
        return;
    const QSignalBlocker block(this);
    const QString text = currentText();
    QStringList items = Items();
    std::stable_sort(items.begin(), items.end(),
                     [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    clear();
    addItems(items);
    setCurrentIndex(-1);
    setEditText(text);
}

void TComboBox::showPopup()
{
    // The list is as wide as its longest entry; the box keeps its own size.
    const int scrollBar = view()->verticalScrollBar()->sizeHint().width();
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + scrollBar + 2 * view()->frameWidth());
    QComboBox::showPopup();
}
