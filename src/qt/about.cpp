// The About window in a Qt program: a modal dialog with the component's name, version,
// years and author, a button per link (opened through the shell, as a click opens its
// address) and OK, which is its default and cancel button. Its buttons are Sheenwork
// buttons, so that it looks like the control it describes.
#include <sheenwork/host/site.h>
#include <sheenwork/qt/button.h>

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "qt/translate.h"

namespace sheenwork::qt {

void ShowAboutDialog(const host::AboutInfo& info, QWidget* owner) {
    QDialog dialog(owner ? owner->window() : nullptr);
    dialog.setObjectName(QStringLiteral("sheenworkAbout"));
    dialog.setWindowTitle(FromUtf8("About " + info.control));
    auto* layout = new QVBoxLayout(&dialog);
    auto* heading = new QLabel(FromUtf8(info.product), &dialog);
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    heading->setFont(big);
    layout->addWidget(heading);
    layout->addWidget(new QLabel(FromUtf8(info.control + ", version " + info.version), &dialog));
    layout->addWidget(new QLabel(FromUtf8("\xC2\xA9 " + info.years + " " + info.author), &dialog));
    auto* row = new QHBoxLayout();
    row->addStretch();
    for (const host::AboutLink& link : info.links) {
        auto* b = new Button(&dialog);
        b->setObjectName(FromUtf8("cmdLink" + link.caption));
        b->setCaption(FromUtf8(link.caption));
        b->setFixedSize(75, 23);
        QObject::connect(b, &Button::clicked, &dialog, [link] { host::OpenAboutLink(link); });
        row->addWidget(b);
    }
    auto* ok = new Button(&dialog);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setCaption(QStringLiteral("OK"));
    ok->setFixedSize(75, 23);
    ok->setDefault(true);
    ok->setCancel(true);
    QObject::connect(ok, &Button::clicked, &dialog, &QDialog::accept);
    row->addWidget(ok);
    layout->addLayout(row);
    ok->setFocus();
    dialog.exec();
}

}  // namespace sheenwork::qt
