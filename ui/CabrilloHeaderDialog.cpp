#include "ui/CabrilloHeaderDialog.h"

#include "logging/ScreenText.h"
#include "settings/ProfileFile.h"
#include "ui/GuiSupport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

CabrilloHeaderDialog::CabrilloHeaderDialog(std::string folder, QWidget *parent)
    : QDialog(parent), folder_(std::move(folder))
{
    setObjectName(QStringLiteral("fCabrillo"));
    setWindowTitle(QStringLiteral("Cabrillo Header"));
    setFont(sansFont(11));
    auto *form = new QFormLayout(this);
    EVersion = new QComboBox(this);
    EVersion->setObjectName(QStringLiteral("EVersion"));
    EVersion->addItems({QStringLiteral("2.0"), QStringLiteral("3.0")});
    form->addRow(QStringLiteral("Version"), EVersion);
    for (const CabrilloTag &tag : CabrilloTags()) {
        QWidget *field;
        if (tag.values.empty()) {
            field = new QLineEdit(this);
        } else {
            auto *list = new QComboBox(this);
            list->addItem(QString());  // not claimed
            for (const char *value : tag.values)
                list->addItem(QString::fromLatin1(value));
            field = list;
        }
        field->setObjectName(QString::fromLatin1(tag.key));
        fields.push_back(field);
        form->addRow(QString::fromLatin1(tag.tag), field);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CabrilloHeaderDialog::BOkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

void CabrilloHeaderDialog::showDialog()
{
    CabrilloHeader header;
    guarded(this, [&] { LoadCabrilloHeader(header, folder_); });
    EVersion->setCurrentIndex(header.isVersion3() ? 1 : 0);
    for (size_t i = 0; i < fields.size(); ++i) {
        const QString value = toScreen(header.*CabrilloTags()[i].field);
        if (auto *list = qobject_cast<QComboBox *>(fields[i])) {
            // A value written into the file by hand that the format does not know stays visible.
            if (list->findText(value) < 0)
                list->addItem(value);
            list->setCurrentText(value);
        } else {
            static_cast<QLineEdit *>(fields[i])->setText(value);
        }
    }
    exec();
}

void CabrilloHeaderDialog::BOkClick()
{
    CabrilloHeader header;
    header.Version = EVersion->currentText().toStdString();
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto *list = qobject_cast<QComboBox *>(fields[i]);
        const QString text = list ? list->currentText() : static_cast<QLineEdit *>(fields[i])->text();
        header.*CabrilloTags()[i].field = fromScreen(text.trimmed());
    }
    try {
        SaveCabrilloHeader(header, folder_);
        accept();
    } catch (const ProfileWriteError &e) {
        showError(this, toScreen(e.what()));  // the dialog stays open with what was typed
    }
}
