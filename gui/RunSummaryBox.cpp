#include "gui/RunSummaryBox.h"
#include "gui/HelpWindow.h"

#include "gui/DialogButton.h"
#include "gui/ScreenFit.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace qvl {

RunSummaryBox::RunSummaryBox(const RunSummary &summary, QWidget *parent, std::function<void()> sendMails)
    : QDialog(parent)
{
    setObjectName(u"frmRunSummary"_qs);
    installHelpKey(this, u"das-fenster-beitragslauf"_qs);
    setWindowTitle(u"Beitragslauf"_qs);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    if (!summary.bankFolder.isEmpty())
        m_folder = summary.bankFolder;
    else if (!summary.accountingFiles.isEmpty())
        m_folder = QFileInfo(summary.accountingFiles.first()).absolutePath();

    auto *icon = new QLabel;
    const QStyle::StandardPixmap kind =
        summary.unfinished ? QStyle::SP_MessageBoxWarning : QStyle::SP_MessageBoxInformation;
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(kind, nullptr, this).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);

    auto *text = new QLabel(runSummaryText(summary));
    text->setObjectName(u"lblSummary"_qs);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(false);
    // Paths can be copied from it.
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto *buttons = new QDialogButtonBox;
    if (!m_folder.isEmpty()) {
        buttons->addButton(dialogButton(u"cmdOpenFolder"_qs, u"&Ordner öffnen"_qs, this,
                                        [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(m_folder)); }),
                           QDialogButtonBox::ActionRole);
    }
    if (summary.mailed > 0 && sendMails)
        buttons->addButton(dialogButton(u"cmdSendMails"_qs, u"&E-Mails versenden"_qs, this, std::move(sendMails)),
                           QDialogButtonBox::ActionRole);
    QPushButton *ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(u"cmdOK"_qs);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *body = new QHBoxLayout;
    body->addWidget(icon);
    body->addSpacing(12);
    // A long summary (many files, long paths) scrolls; "OK" stays on the screen.
    body->addWidget(scrollingArea(text), 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
    fitToScreen(this, sizeHint());
}

} // namespace qvl
