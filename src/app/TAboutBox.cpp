#include "app/TAboutBox.h"

#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

#include "app/TMainApp.h"

namespace {

const QString kProduct = QStringLiteral("Kavrolux RTC Evaluation");
const QString kVersion = QStringLiteral("4.05");
const QString kNotice = QStringLiteral("Copyright (C) Kavrolux. All rights reserved.");
const QString kWebAddress = QStringLiteral("https://kavrolux.example/rtc");
const QString kDisclaimer = QStringLiteral(
    "The information in this program and its documentation has been checked with care and is "
    "believed to be accurate. Kavrolux nevertheless accepts no responsibility for it or for "
    "the consequences of its use.\n\n"
    "Product information may change without notice; changes are published in new editions. "
    "Kavrolux may change the products and programs described here at any time and without "
    "notice.");

// The maker's mark: a clock face on a round badge.
QPixmap logo()
{
    constexpr int kSide = 48;
    QPixmap picture(kSide, kSide);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(kSide / 2.0, kSide / 2.0);
    p.setPen(QPen(QColor(0x1F, 0x4E, 0x8C), 3));
    p.setBrush(QColor(0xE8, 0xF0, 0xFA));
    p.drawEllipse(centre, kSide / 2.0 - 3, kSide / 2.0 - 3);
    p.setPen(QPen(QColor(0x1F, 0x4E, 0x8C), 2));
    for (int hour = 0; hour < 12; ++hour) {
        const double angle = hour * M_PI / 6;
        const QPointF dir(std::sin(angle), -std::cos(angle));
        p.drawLine(centre + dir * 15, centre + dir * 18);
    }
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, centre + QPointF(0, -12)); // minute hand at twelve
    p.drawLine(centre, centre + QPointF(8, 5));   // hour hand near four
    return picture;
}

bool openWithDesktop(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

// A script must not start a browser: it is told what would open.
bool echoOpen(const QUrl& url)
{
    std::printf("open: %s\n", qPrintable(url.toString()));
    std::fflush(stdout);
    return true;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    const auto* window = qobject_cast<const TMainApp*>(parent);
    opener_ = window && window->scriptMode() ? UrlOpener(echoOpen) : UrlOpener(openWithDesktop);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(logo());
    ProgramIcon->setCursor(Qt::PointingHandCursor);
    ProgramIcon->installEventFilter(this);

    ProductName = new QLabel(Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont productFont = ProductName->font();
    productFont.setBold(true);
    productFont.setPointSizeF(productFont.pointSizeF() * 1.3);
    ProductName->setFont(productFont);
    Version = new QLabel(Panel1);
    Version->setObjectName(QStringLiteral("Version"));
    Copyright = new QLabel(Panel1);
    Copyright->setObjectName(QStringLiteral("Copyright"));
    Comments = new QLabel(Panel1);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->installEventFilter(this);

    RichEdit1 = new QPlainTextEdit(Panel1);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setFixedHeight(RichEdit1->fontMetrics().lineSpacing() * 10 + 12);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Version);
    texts->addWidget(Copyright);
    texts->addWidget(Comments);
    auto* head = new QHBoxLayout;
    head->addWidget(ProgramIcon, 0, Qt::AlignTop);
    head->addSpacing(8);
    head->addLayout(texts, 1);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->addLayout(head);
    panelLayout->addWidget(RichEdit1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);

    FormCreate();
    RichEdit1->setMinimumWidth(RichEdit1->fontMetrics().averageCharWidth() * 62);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::FormCreate()
{
    ProductName->setText(kProduct);
    Version->setText(QStringLiteral("Version - ") + kVersion);
    Copyright->setText(kNotice);
    Comments->setText(kWebAddress);
    QFont link = Comments->font();
    link.setUnderline(true);
    Comments->setFont(link);
    QPalette palette = Comments->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    Comments->setPalette(palette);
    Comments->setCursor(Qt::PointingHandCursor);
    RichEdit1->setPlainText(kDisclaimer);
}

void TAboutBox::setUrlOpener(UrlOpener opener)
{
    opener_ = opener ? std::move(opener) : UrlOpener(openWithDesktop);
}

void TAboutBox::CommentsClick()
{
    if (opener_(QUrl(Comments->text()))) accept();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Comments || watched == ProgramIcon) &&
        event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        CommentsClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
