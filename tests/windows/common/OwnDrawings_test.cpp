// The program's own drawings on a high-resolution screen: drawn with the screen's device
// pixels, not a small picture enlarged.
#include "windows/common/AnimatedImage.h"
#include "windows/maker/MakerBanner.h"
#include "windows/maker/RotateGlyphs.h"
#include "windows/play/SortGlyphs.h"

#include <QImage>
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
