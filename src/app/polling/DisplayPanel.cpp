#include "app/polling/DisplayPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int kPanelWidth = 180;

QLabel* makeCaption(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return label;
}

// A sunken read-only field; its hint shows as tool tip and in status panel 0.
QLabel* makeField(QWidget* parent, const char* name, const QString& hint, int pointSizeDelta)
{
    auto* field = new QLabel(parent);
    field->setObjectName(QLatin1String(name));
    field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    field->setAlignment(Qt::AlignCenter);
    field->setToolTip(hint);
    field->setStatusTip(hint);
    QFont font = field->font();
    font.setBold(true);
    if (pointSizeDelta != 0 && font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() + pointSizeDelta);
    field->setFont(font);
    // Room for the longest text at this font, so a change of text never resizes.
    field->setMinimumHeight(field->fontMetrics().height() + 8);
    return field;
}

} // namespace

DisplayPanel::DisplayPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("rtc"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setFixedWidth(kPanelWidth);

    LabelPC = makeCaption(this, "LabelPC", QStringLiteral("PC Time and Date"));
    PCtime = makeField(this, "PCtime", QStringLiteral("Current PC Time"), 3);
    PCdate = makeField(this, "PCdate", QStringLiteral("Current PC Date"), 3);
    LabelRTC = makeCaption(this, "LabelRTC", QStringLiteral("RTC Time and Date"));
    RTCtime = makeField(this, "RTCtime", QStringLiteral("Current RTC Time"), 3);
    RTCdate = makeField(this, "RTCdate", QStringLiteral("Current RTC Date"), 3);
    Label42 = makeCaption(this, "Label42", QStringLiteral("RTC Deviation"));
    RTCdev = makeField(this, "RTCdev", QStringLiteral("RTC Deviation"), 3);
    Label4 = makeCaption(this, "Label4", QString());
    RTCtemp = makeField(this, "RTCtemp", QStringLiteral("Current RTC Temperature"), 0);

    PollingEnable = new QCheckBox(QStringLiteral("Enable Polling"), this);
    PollingEnable->setObjectName(QStringLiteral("PollingEnable"));
    PollingEnable->setToolTip(QStringLiteral("Enable Polling"));
    PollingEnable->setStatusTip(QStringLiteral("Enable Polling"));
    PollingEnable->setChecked(true);

    PollingTime = new QLabel(this);
    PollingTime->setObjectName(QStringLiteral("PollingTime"));
    PollingTime->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(3);
    layout->addWidget(LabelPC);
    layout->addWidget(PCtime);
    layout->addWidget(PCdate);
    layout->addSpacing(6);
    layout->addWidget(LabelRTC);
    layout->addWidget(RTCtime);
    layout->addWidget(RTCdate);
    layout->addSpacing(6);
    layout->addWidget(Label42);
    layout->addWidget(RTCdev);
    layout->addSpacing(6);
    layout->addWidget(Label4);
    layout->addWidget(RTCtemp);
    layout->addStretch(1);
    layout->addWidget(PollingEnable, 0, Qt::AlignHCenter);
    layout->addWidget(PollingTime);
}

void DisplayPanel::blankChipFields()
{
    for (QLabel* field : {RTCtime, RTCdev, RTCdate, RTCtemp})
        field->clear();
}

bool DisplayPanel::pollingEnabled() const
{
    return PollingEnable->isChecked();
}
