// The tool bar's pictures are SVG files. Without Qt's SVG plugins a QIcon of
// such a file still exists but draws nothing, and the buttons show up empty.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QToolButton>

#include "app/TMainApp.h"
#include "support/AppTestSupport.h"

namespace {

const QSize kToolBarIconSize(16, 16);

// Pixels that are not fully transparent.
int visiblePixels(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) ++count;
    return count;
}

// Why an icon draws nothing at the tool bar's size, or empty when it draws.
QString drawProblem(const QIcon& icon)
{
    if (icon.isNull()) return QStringLiteral("the icon is null");
    const QPixmap pixmap = icon.pixmap(kToolBarIconSize);
    if (pixmap.isNull()) return QStringLiteral("the icon gives a null pixmap");
    if (visiblePixels(pixmap) == 0) return QStringLiteral("every pixel is transparent");
    return QString();
}

TEST(ToolBarIcons, QtReadsSvg)
{
    ensureApp();
    EXPECT_TRUE(QImageReader::supportedImageFormats().contains("svg"))
        << "Qt's SVG image plugin is not installed (Debian: libqt6svg6)";
}

TEST(ToolBarIcons, EveryIconFileDraws)
{
    ensureApp();
    const QDir icons(QStringLiteral(":/icons"));
    const QStringList files = icons.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << "no files under :/icons";
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_EQ(drawProblem(QIcon(icons.filePath(file))), QString());
    }
}

TEST(ToolBarIcons, EveryButtonShowsAPicture)
{
    ensureApp();
    ScratchStore store;
    AppOptions options;
    options.settingsFile = store.path();
    TMainApp window(options, true);

    for (QToolButton* button : {window.OpenBtn, window.SaveBtn, window.PrintBtn, window.VccSw}) {
        ASSERT_NE(button, nullptr);
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_EQ(button->iconSize(), kToolBarIconSize);
        EXPECT_EQ(drawProblem(button->icon()), QString());
    }
}

TEST(ToolBarIcons, SupplySwitchShowsBothPictures)
{
    ensureApp();
    ScratchStore store;
    AppOptions options;
    options.settingsFile = store.path();
    TMainApp window(options, true);

    QImage pictures[2];
    const int states[2] = {15, 16}; // supply off, supply on
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(states[i]);
        window.setVccPicture(states[i]);
        ASSERT_EQ(window.vccPicture(), states[i]);
        EXPECT_EQ(drawProblem(window.VccSw->icon()), QString());
        pictures[i] = window.VccSw->icon().pixmap(kToolBarIconSize).toImage();
    }
    EXPECT_FALSE(pictures[0] == pictures[1]) << "supply off and on look the same";
}

} // namespace
