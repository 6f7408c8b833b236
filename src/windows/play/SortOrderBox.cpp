#include "windows/play/SortOrderBox.h"

#include "windows/play/SortGlyphs.h"

#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace
{

// The items' texts only name the orders; they are never drawn.
const char *const OrderNames[] = {"None",     "Top M",    "Top F",  "Right M", "Right F",
                                  "Bottom M", "Bottom F", "Left M", "Left F"};

// Erases the item in the window colour whatever its state, then draws its glyph.
void DrawGlyphItem(QPainter &painter, const QRect &item, const QColor &window, const QImage &glyph)
{
    painter.fillRect(item, window);
    painter.drawImage(QPoint(item.left() + TSortOrderBox::GlyphLeft, item.top()), glyph);
}

class TGlyphDelegate : public QStyledItemDelegate
{
public:
    explicit TGlyphDelegate(TSortOrderBox *box) : QStyledItemDelegate(box), m_box(box) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        DrawGlyphItem(*painter, option.rect, option.palette.color(QPalette::Base),
                      m_box->Glyph(index.row()));
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(option.rect.width(), TSortOrderBox::ItemHeight);
    }

private:
    TSortOrderBox *m_box;
};

} // namespace

TSortOrderBox::TSortOrderBox(QWidget *parent)
    : QComboBox(parent), m_glyphs(MakeSortGlyphs(devicePixelRatioF()))
{
    for (const char *name : OrderNames)
        addItem(QString::fromLatin1(name));
    setItemDelegate(new TGlyphDelegate(this));
    setMaxVisibleItems(int(std::size(OrderNames)));

    QPalette white = palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Button, Qt::white);
    setPalette(white);
}

void TSortOrderBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);

    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    // The closed box shows the selected item like the list does, centred in the edit field.
    const QRect item(field.left(), field.top() + (field.height() - ItemHeight) / 2, field.width(),
                     ItemHeight);
    painter.setClipRect(field);
    DrawGlyphItem(painter, item, palette().color(QPalette::Base), Glyph(currentIndex()));
}
