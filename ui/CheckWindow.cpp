#include "ui/CheckWindow.h"

#include "logging/ScreenText.h"
#include "ui/GuiSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextDocument>

namespace {

// The call each line stands for, apart from what the line shows around it.
constexpr int CallRole = Qt::UserRole;
constexpr int HtmlRole = Qt::UserRole + 1;

// Paints a line given as rich text, so the differing character of an N+1 call stands out.
class RichLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QString html = index.data(HtmlRole).toString();
        if (html.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        plain.widget->style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);
        QTextDocument doc;
        doc.setDefaultFont(option.font);
        doc.setDocumentMargin(1);
        doc.setHtml(html);
        painter->save();
        painter->translate(option.rect.topLeft());
        doc.drawContents(painter, QRectF(0, 0, option.rect.width(), option.rect.height()));
        painter->restore();
    }
};

QListWidget *callList(const char *name, QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setFont(monoFont(12));
    list->setUniformItemSizes(true);
    list->setFocusPolicy(Qt::NoFocus);  // the keyboard stays with the entry line
    list->setItemDelegate(new RichLineDelegate(list));
    return list;
}

QListWidgetItem *callItem(const std::string &call, const QString &text)
{
    auto *item = new QListWidgetItem(text);
    item->setData(CallRole, toScreen(call));
    return item;
}

QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

} // namespace

CheckWindow::CheckWindow(QWidget *mainWindow) : QWidget(mainWindow, Qt::Window | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("fCheckCalls"));
    // Beside the entry line, never taking the keyboard from it: a click on a call is enough.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Check"));
    setFont(sansFont(11));
    resize(560, 300);

    LUnique = heading(QString(), this);
    LUnique->setObjectName(QStringLiteral("LUnique"));
    setTextColor(LUnique, QColor(0, 128, 0));
    LHistory = new QLabel(this);
    LHistory->setObjectName(QStringLiteral("LHistory"));
    LHistory->setFont(monoFont(12));
    LHistory->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LHistory->setMinimumWidth(110);
    LHistory->setWordWrap(true);
    ELogCalls = callList("ELogCalls", this);
    EScpCalls = callList("EScpCalls", this);
    ENearCalls = callList("ENearCalls", this);

    auto *grid = new QGridLayout(this);
    grid->addWidget(LUnique, 0, 0, 1, 3);
    grid->addWidget(heading(QStringLiteral("Log"), this), 1, 0);
    grid->addWidget(heading(QStringLiteral("SCP"), this), 1, 1);
    grid->addWidget(heading(QStringLiteral("N+1"), this), 1, 2);
    grid->addWidget(heading(QStringLiteral("History"), this), 1, 3);
    grid->addWidget(ELogCalls, 2, 0);
    grid->addWidget(EScpCalls, 2, 1);
    grid->addWidget(ENearCalls, 2, 2);
    grid->addWidget(LHistory, 2, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 2);
    grid->setColumnStretch(3, 1);

    for (QListWidget *list : {ELogCalls, EScpCalls, ENearCalls})
        connect(list, &QListWidget::itemDoubleClicked, this, &CheckWindow::ListDoubleClick);
}

CheckWindow::~CheckWindow() = default;

void CheckWindow::showResult(const CheckResult &result, const std::string &folder)
{
    for (QListWidget *list : {ELogCalls, EScpCalls, ENearCalls})
        list->clear();
    for (const LoggedCall &c : result.log) {
        QListWidgetItem *item = callItem(c.call, toScreen(c.call + "  " + c.worked));
        if (c.dupe)
            item->setForeground(Qt::red);
        ELogCalls->addItem(item);
    }
    if (result.scpMissing) {
        auto *line = new QListWidgetItem(toScreen(MasterScpMissingText(folder)));
        line->setFlags(Qt::NoItemFlags);
        line->setToolTip(line->text());
        EScpCalls->addItem(line);
    }
    for (const std::string &c : result.scp)
        EScpCalls->addItem(callItem(c, toScreen(c)));
    for (const NearCall &c : result.near) {
        const QString call = toScreen(c.call);
        QListWidgetItem *item = callItem(c.call, call);
        const auto at = qsizetype(c.mark);
        item->setData(HtmlRole, call.left(at).toHtmlEscaped() + QStringLiteral("<b style=\"color:#d00000\">") +
                                    call.mid(at, 1).toHtmlEscaped() + QStringLiteral("</b>") +
                                    call.mid(at + 1).toHtmlEscaped());
        ENearCalls->addItem(item);
    }
    LUnique->setText(result.unique() ? QStringLiteral("Unique") : QString());
}

void CheckWindow::showHint(const std::string &exchange)
{
    LHistory->setText(toScreen(exchange));
}

void CheckWindow::ListDoubleClick(QListWidgetItem *item)
{
    const QString call = item->data(CallRole).toString();
    if (!call.isEmpty() && chosen_)
        chosen_(fromScreen(call));
}

void CheckWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // Only the operator's close counts: the program closes every window as it ends, and
    // one open then opens again at the next start.
    if (placeChanged_ && event->spontaneous())
        placeChanged_(false);
}

void CheckWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (placeChanged_ && isVisible())
        placeChanged_(true);
}
