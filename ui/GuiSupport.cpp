#include "ui/GuiSupport.h"

#include "logging/EntryKeys.h"
#include "logging/ScreenText.h"

#include <QEventLoop>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QFontMetrics>
#include <QMainWindow>
#include <QMenuBar>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <exception>
#include <memory>

QColor colorFromText(const std::string &text)
{
    const QString hex = QString::fromStdString(text).remove(QLatin1Char('$'));
    bool ok = false;
    const uint value = hex.toUInt(&ok, 16);
    if (!ok)
        return QColor(Qt::white);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

void paintBackground(QWidget *widget, const std::string &colorText)
{
    QPalette pal = widget->palette();
    const QColor color = colorFromText(colorText);
    if (pal.color(QPalette::Base) == color && pal.color(QPalette::Window) == color)
        return;
    pal.setColor(QPalette::Base, color);
    pal.setColor(QPalette::Window, color);
    widget->setAutoFillBackground(true);
    widget->setPalette(pal);
}

QFont sansFont(int pixelSize, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QFont monoFont(int pixelSize, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Consolas"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    // The grid's columns were measured in Consolas, narrower than its stand-ins:
    // keep the characters as wide as Consolas would draw them (0.55 of the size).
    if (QFontInfo(f).family() != QLatin1String("Consolas")) {
        const qreal width = QFontMetricsF(f).horizontalAdvance(QLatin1Char('0'));
        if (width > 0.55 * pixelSize)
            f.setPixelSize(qRound(pixelSize * 0.55 * pixelSize / width));
    }
    return f;
}

void showError(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), message, QMessageBox::Ok, parent);
    box.exec();
}

void showWarning(QWidget *parent, const QString &title, const QString &message)
{
    QMessageBox box(QMessageBox::Warning, title, message, QMessageBox::Ok, parent);
    box.exec();
}

void ReadAwayFromWindow(const std::function<void()> &read)
{
    std::exception_ptr failure;
    QEventLoop loop;
    std::unique_ptr<QThread> worker{QThread::create([&] {
        try {
            read();
        } catch (...) {
            failure = std::current_exception();
        }
    })};
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    // The loop also ends when the program is asked to quit: the read is waited for all the same.
    worker->wait();
    if (failure)
        std::rethrow_exception(failure);
}

void guarded(QWidget *parent, const std::function<void()> &action)
{
    try {
        action();
    } catch (const std::exception &e) {
        showError(parent, messageToScreen(e.what()));
    }
}

bool confirm(QWidget *parent, const QString &title, const QString &text, Confirm kind)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(kind == Confirm::RemovesQsos ? QMessageBox::Cancel : QMessageBox::Ok);
    const bool ok = box.exec() == QMessageBox::Ok;
    // The keys go on to the window the question came from, whatever the desktop does.
    if (parent)
        parent->window()->activateWindow();
    return ok;
}

QPoint KeptOnScreen(const QWidget *window, QPoint topLeft)
{
    QSize size = window->size();
    if (const QWindow *handle = window->windowHandle()) {
        const QMargins frame = handle->frameMargins();
        size += QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    }
    QScreen *on = QGuiApplication::screenAt(topLeft + QPoint(size.width() / 2, size.height() / 2));
    if (!on)
        on = QGuiApplication::primaryScreen();
    if (!on)
        return topLeft;
    const QRect area = on->availableGeometry();
    const int x = std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    const int y = std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    return {x, y};
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setValidator(new UpperCaseValidator(line));
    return editor;
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem fitted(option);
    // The cell's text margins, as the style draws them.
    fitted.font = FittedFont(option.font, index.data().toString(), option.rect.width() - 6);
    QStyledItemDelegate::paint(painter, fitted, index);
}

QFont FittedFont(QFont font, const QString &text, int width)
{
    for (int px = font.pixelSize(); px > 8 && QFontMetrics(font).horizontalAdvance(text) > width; --px)
        font.setPixelSize(px - 1);
    return font;
}

QValidator::State UpperCaseValidator::validate(QString &input, int &) const
{
    input = input.toUpper();
    return Acceptable;
}

QValidator::State EntryLineValidator::validate(QString &input, int &) const
{
    for (QChar ch : input) {
        if (ch.unicode() >= 0x80 || !EntryKeys::acceptedChar(static_cast<char>(ch.unicode())))
            return Invalid;
        if (ch.unicode() < 32)
            return Invalid;
    }
    input = input.toUpper();
    return Acceptable;
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::Text, color);
    widget->setPalette(pal);
}

void setTextIfChanged(QLabel *label, const std::string &text)
{
    QString shown = toScreen(text);
    shown.removeIf([](QChar c) { return c.unicode() < 0x20; });
    if (label->text() != shown)
        label->setText(shown);
}

void setTailIfChanged(QLabel *label, const std::string &text)
{
    QString shown = toScreen(text);
    shown.removeIf([](QChar c) { return c.unicode() < 0x20; });
    shown = label->fontMetrics().elidedText(shown, Qt::ElideLeft, label->contentsRect().width());
    if (label->text() != shown)
        label->setText(shown);
}

int entryKeyCode(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_PageUp: return EntryKeys::PageUp;
    case Qt::Key_PageDown: return EntryKeys::PageDown;
    case Qt::Key_T: return EntryKeys::KeyT;
    default:
        if (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F12)
            return EntryKeys::F1 + (key->key() - Qt::Key_F1);
        return 0;
    }
}

QMenu *menuNamed(QMainWindow &window, const QString &title)
{
    for (QAction *a : window.menuBar()->actions())
        if (a->menu() && a->text() == title)
            return a->menu();
    return window.menuBar()->addMenu(title);
}
