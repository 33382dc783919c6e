// "expect advice NAME "ENTRY"" against the real window: it passes on the
// entry the trim page advises for that list and fails, saying what it found,
// on another entry or where there is no advice; the Graph page's drift run is
// a fake with a fixed rate.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/TMainApp.h"
#include "pages/PageLinks.h"
#include "pages/trim/TrimPage.h"
#include "script/ScriptRunner.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/FakeDriftAnalysis.h"
#include "support/RecordingAdapter.h"

namespace {

class ExpectAdvice : public PageFixture {};

TEST_F(ExpectAdvice, PassesOnTheAdvisedEntryAndSaysWhatItFoundOtherwise)
{
    openWith("VK310");
    FakeDriftAnalysis drift;
    drift.measured(17.3, 0.2);
    window().links().drift = &drift;
    auto* page = qobject_cast<TrimPage*>(window().page(QStringLiteral("tsComp")));
    ASSERT_NE(page, nullptr);
    page->BtnRdXtl->click(); // the chip's trims: 12.50 pF, "  0 PPM (default)"

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("advice.rtcs"));
    QFile script(file);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Text));
    script.write("expect advice ComboBoxDTR \"-20 PPM\"\n"
                 "expect advice ComboBoxATR \"16.50 pF\"\n"
                 "expect advice ComboBoxATR \"16.75 pF\"\n"
                 "expect advice ComboBoxBMATR \"0.0 pF\"\n"
                 "expect advice ComboBoxDTR\n");
    script.close();

    QString error;
    ASSERT_TRUE(ScriptRunner::Prepare(file, &error)) << error.toStdString();
    testing::internal::CaptureStdout();
    const int exit = ScriptRunner::Run(window());
    const QStringList out = QString::fromStdString(testing::internal::GetCapturedStdout())
                                .split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(exit, 1);
    // The malformed last line fails its check, so nothing runs.
    ASSERT_EQ(out.size(), 2) << out.join(u'\n').toStdString();
    EXPECT_TRUE(out[0].endsWith(QStringLiteral(":5: expect advice NAME \"ENTRY\" / the line ends "
                                               "before \"ENTRY\"")))
        << out[0].toStdString();
    EXPECT_EQ(out[1], QStringLiteral("0 passed, 1 failed"));

    // Without it the script runs.
    script.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate);
    script.write("expect advice ComboBoxDTR \"-20 PPM\"\n"
                 "expect advice ComboBoxATR \"16.50 pF\"\n"
                 "expect advice ComboBoxATR \"16.75 pF\"\n"
                 "expect advice ComboBoxBMATR \"0.0 pF\"\n");
    script.close();
    ASSERT_TRUE(ScriptRunner::Prepare(file, &error)) << error.toStdString();
    testing::internal::CaptureStdout();
    EXPECT_EQ(ScriptRunner::Run(window()), 1);
    const QStringList lines = QString::fromStdString(testing::internal::GetCapturedStdout())
                                  .split(u'\n', Qt::SkipEmptyParts);
    const QStringList expected = {
        QStringLiteral("FAIL %1:3: advice ComboBoxATR \"16.75 pF\" / \"16.50 pF\"").arg(file),
        QStringLiteral("FAIL %1:4: advice ComboBoxBMATR \"0.0 pF\" / no advice").arg(file),
        QStringLiteral("2 passed, 2 failed"),
    };
    EXPECT_EQ(lines, expected) << lines.join(u'\n').toStdString();
}

} // namespace
