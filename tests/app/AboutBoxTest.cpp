// The About box: its texts, the web address click and Help > About.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <memory>

#include "app/TAboutBox.h"
#include "app/TMainApp.h"
#include "support/AppTestSupport.h"
#include "support/WindowFixture.h"

namespace {

class AboutBox : public WindowFixture {};

// A left click as the mouse delivers it.
void clickOn(QWidget* widget)
{
    const QPointF at = widget->rect().center();
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

TEST_F(AboutBox, NamesProductVersionNoticeAndWebAddress)
{
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_EQ(box.ProductName->text(), "Kavrolux RTC Evaluation");
    EXPECT_EQ(box.Version->text(), "Version - 4.05");
    EXPECT_FALSE(box.Copyright->text().isEmpty());
    EXPECT_FALSE(box.Copyright->text().contains(u'\n'));
    EXPECT_EQ(box.Comments->text(), "https://kavrolux.example/rtc");
    EXPECT_TRUE(box.Comments->font().underline());
    EXPECT_EQ(box.Comments->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(box.Comments->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(box.ProgramIcon->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(box.ProgramIcon->pixmap().isNull());
    EXPECT_TRUE(box.RichEdit1->isReadOnly());
    EXPECT_TRUE(box.RichEdit1->toPlainText().contains("without notice"));
    EXPECT_TRUE(box.OKButton->isDefault());
    EXPECT_EQ(box.OKButton->text(), "OK");
    EXPECT_TRUE(box.isModal());
}

TEST_F(AboutBox, ClickOnTheAddressOpensItAndClosesOnlyWhenThatWorked)
{
    for (const char* clicked : {"Comments", "ProgramIcon"}) {
        for (const bool opens : {true, false}) {
            SCOPED_TRACE(std::string(clicked) + (opens ? " opens" : " fails"));
            TAboutBox box;
            QList<QUrl> asked;
            box.setUrlOpener([&asked, opens](const QUrl& url) {
                asked << url;
                return opens;
            });
            box.show();
            clickOn(box.findChild<QWidget*>(clicked));
            ASSERT_EQ(asked.size(), 1);
            EXPECT_EQ(asked.front(), QUrl("https://kavrolux.example/rtc"));
            EXPECT_EQ(box.isVisible(), !opens);
            if (opens) {
                EXPECT_EQ(box.result(), QDialog::Accepted);
            }
        }
    }
}

TEST_F(AboutBox, OkCloses)
{
    TAboutBox box;
    box.show();
    box.OKButton->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST_F(AboutBox, ScriptWindowShowsItWithoutWaitingAndOpensNothing)
{
    TMainApp& window = open();
    auto* box = new TAboutBox(&window);
    window.setAboutBox(box);
    window.HelpAbout1->trigger(); // returns: a script never waits on a dialog
    EXPECT_TRUE(box->isVisible());
    // In a script the address is only reported, and the box closes as if it opened.
    clickOn(box->Comments);
    EXPECT_FALSE(box->isVisible());
}

} // namespace
