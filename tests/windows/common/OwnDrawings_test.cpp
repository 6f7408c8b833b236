// The program's own drawings: on a high-resolution screen drawn with the screen's device
// pixels, not a small picture enlarged; and the focus ring round the focused control.
#include "windows/common/AnimatedImage.h"
#include "windows/common/FocusRing.h"
#include "windows/maker/MakerBanner.h"
#include "windows/maker/RotateGlyphs.h"
#include "windows/play/SortGlyphs.h"

#include <QImage>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

TEST(OwnDrawings, AtAPixelRatioTheyKeepTheirSizeAndGainDetail)
{
    const std::pair<const char *, std::function<QImage(qreal)>> drawings[] = {
        {"banner", [](qreal ratio) { return MakerBanner(ratio); }},
        {"rotate glyph", [](qreal ratio) { return MakeRotateGlyph(true, ratio); }},
        {"sort glyph", [](qreal ratio) { return MakeSortGlyphs(ratio).at(3); }},
        {"sparkle frame", [](qreal ratio) { return SparkleFrames(ratio).first(); }},
    };
    for (const auto &[name, draw] : drawings) {
        SCOPED_TRACE(name);
        const QImage plain = draw(1.0);
        for (const qreal ratio : {1.5, 2.0}) {
            const QImage sharp = draw(ratio);
            EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(plain.size()));
            EXPECT_EQ(sharp.size(), (QSizeF(plain.size()) * ratio).toSize());
            const QImage enlarged =
                plain.scaled(sharp.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
            EXPECT_NE(sharp.convertToFormat(enlarged.format()), enlarged)
                << "drawn anew, not the small picture enlarged";
        }
    }
}

TEST(FocusRing, FollowsTheFocusedControlAndLeavesScrollAreasAlone)
{
    QWidget window;
    auto *first = new QPushButton(QStringLiteral("First"), &window);
    auto *second = new QPushButton(QStringLiteral("Second"), &window);
    auto *scroll = new QScrollArea(&window);
    first->setGeometry(10, 10, 80, 25);
    second->setGeometry(10, 50, 80, 25);
    scroll->setGeometry(100, 10, 100, 100);
    const TFocusRing ring;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (QWidget *control : {static_cast<QWidget *>(first), static_cast<QWidget *>(second)}) {
        control->setFocus();
        ASSERT_NE(ring.Ring(), nullptr);
        EXPECT_TRUE(ring.Ring()->isVisible());
        EXPECT_TRUE(ring.Ring()->geometry().contains(control->geometry()));
        EXPECT_FALSE(
            ring.Ring()->geometry().intersects((control == first ? second : first)->geometry()));
    }
    second->move(10, 80);
    EXPECT_TRUE(ring.Ring()->geometry().contains(second->geometry())) << "it moves along";
    scroll->setFocus();
    EXPECT_EQ(ring.Ring(), nullptr);
}
