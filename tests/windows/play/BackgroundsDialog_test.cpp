#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/DesktopColours.h"
#include "support/ModalAnswer.h"
#include "windows/common/ShapeWidget.h"
#include "windows/play/BackgroundsDialog.h"

#include <QColorDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <stdexcept>

namespace
{

const QColor Grey{128, 128, 128};
const QColor Black{0, 0, 0};

class BackgroundsDialog : public ::testing::Test
{
protected:
    BackgroundsDialog() { m_document.SetName(PuzzleSchema::RootNode); }

    std::vector<QColor> ShadowColours() const
    {
        std::vector<QColor> colours;
        for (TShapeWidget *shadow : m_dialog.m_textureShadows)
            colours.push_back(shadow->Brush().color());
        return colours;
    }

    // Runs the dialog; inside the run, act does what the user does before pressing finish.
    QString Run(std::function<void(TBackgroundsDialog *)> act, bool pressOk)
    {
        AnswerModal<TBackgroundsDialog>([act, pressOk](TBackgroundsDialog *shown) {
            act(shown);
            QTest::mouseClick(pressOk ? shown->m_okButton : shown->m_cancelButton, Qt::LeftButton);
        });
        // The dialog works on the game read from the stored document, which keeps it after.
        const QString result = m_dialog.RunDialog(QString());
        WritePuzzleGame(m_game, m_document);
        return result;
    }

    TKeyedNode m_document;
    TPuzzleGame m_game;
    TBackgroundsDialog m_dialog{[this] {
        m_game = ReadPuzzleGame(m_document);
        return &m_game;
    }};
};

TEST_F(BackgroundsDialog, StoredTextureOpensTheTallDialogWithThatTextureMarked)
{
    m_document.SetAttr(PuzzleSchema::KeyTexture, "2");
    int shownHeight = 0;
    bool rowShown = false;
    std::vector<QColor> shadows;
    const QString result = Run(
        [&](TBackgroundsDialog *shown) {
            shownHeight = shown->height();
            rowShown = shown->m_textureScroll->isVisible();
            shadows = ShadowColours();
        },
        false);

    EXPECT_EQ(shownHeight, 365);
    EXPECT_TRUE(rowShown);
    EXPECT_EQ(shadows, (std::vector<QColor>{Grey, Black, Grey, Grey, Grey}));
    EXPECT_TRUE(result.isEmpty()) << "Cancel returns empty text";
    EXPECT_EQ(m_document.AttrNames(), QList<QByteArray>{PuzzleSchema::KeyTexture})
        << "Cancel leaves the document untouched";
}

TEST_F(BackgroundsDialog, EmptyDocumentOpensTheShortDialogInTheWorkspaceColour)
{
    int shownHeight = 0;
    bool rowShown = true;
    Run(
        [&](TBackgroundsDialog *shown) {
            shownHeight = shown->height();
            rowShown = shown->m_textureScroll->isVisible();
        },
        false);

    EXPECT_EQ(shownHeight, 170);
    EXPECT_FALSE(rowShown);
    EXPECT_TRUE(m_dialog.m_colourRadio->isChecked());
    EXPECT_EQ(m_dialog.ChosenColor(), WorkspaceColour());
    EXPECT_EQ(m_dialog.m_colourSwatch->Brush().color(), ToQColor(WorkspaceColour()))
        << "the colour shape shows the chosen colour";
}

TEST_F(BackgroundsDialog, TextureModeWithoutMarkedTextureStoresZeroAndChoosesNoPicture)
{
    int heightAfterSwitch = 0;
    const QString result = Run(
        [&](TBackgroundsDialog *shown) {
            QTest::mouseClick(shown->m_textureRadio, Qt::LeftButton);
            heightAfterSwitch = shown->height();
        },
        true);

    EXPECT_EQ(heightAfterSwitch, 365);
    EXPECT_EQ(result, QStringLiteral("Y"));
    EXPECT_EQ(m_document.GetAttr(PuzzleSchema::KeyTexture), QByteArray("0"));
    EXPECT_EQ(m_document.GetAttr(PuzzleSchema::KeyColor), ColorToText(WorkspaceColour()))
        << "the colour is written on every Ok";
    EXPECT_TRUE(m_dialog.IsTextureChosen());
    EXPECT_TRUE(m_dialog.ChosenTexture().isNull());
}

TEST_F(BackgroundsDialog, FixedColourRemovesTheStoredTexture)
{
    m_document.SetAttr(PuzzleSchema::KeyTexture, "3");
    m_document.SetAttr(PuzzleSchema::KeyColor, "#102030");
    int heightAfterSwitch = 0;
    Run(
        [&](TBackgroundsDialog *shown) {
            QTest::mouseClick(shown->m_colourRadio, Qt::LeftButton);
            heightAfterSwitch = shown->height();
        },
        true);

    EXPECT_EQ(heightAfterSwitch, 170);
    EXPECT_TRUE(m_document.GetAttr(PuzzleSchema::KeyTexture).isEmpty());
    EXPECT_EQ(m_document.IndexOfKey(PuzzleSchema::KeyTexture), -1);
    EXPECT_EQ(m_document.GetAttr(PuzzleSchema::KeyColor), QByteArray("#102030"));
    EXPECT_FALSE(m_dialog.IsTextureChosen());
    EXPECT_TRUE(m_dialog.ChosenTexture().isNull());
}

TEST_F(BackgroundsDialog, ColoursFromTheColourDialogAreStoredAsColourText)
{
    const auto pickColour = [this](const QColor &picked) {
        return Run(
            [picked](TBackgroundsDialog *shown) {
                AnswerModal<QColorDialog>([picked](QColorDialog *colours) {
                    colours->setCurrentColor(picked);
                    colours->accept();
                });
                QTest::mouseClick(shown->m_chooseColourButton, Qt::LeftButton);
            },
            true);
    };

    pickColour(QColor(255, 0, 0));
    EXPECT_EQ(m_document.GetAttr(PuzzleSchema::KeyColor), QByteArray("#FF0000"));
    EXPECT_EQ(m_dialog.ChosenColor(), 0x0000FFu) << "red lies in the lowest byte";

    pickColour(QColor(0x12, 0x34, 10));
    EXPECT_EQ(m_document.GetAttr(PuzzleSchema::KeyColor), QByteArray("#12340A"));

    Run(
        [](TBackgroundsDialog *shown) {
            AnswerModal<QColorDialog>([](QColorDialog *colours) {
                colours->setCurrentColor(Qt::green);
                colours->reject();
            });
            QTest::mouseClick(shown->m_chooseColourButton, Qt::LeftButton);
        },
        true);
    EXPECT_EQ(m_document.GetAttr(PuzzleSchema::KeyColor), QByteArray("#12340A"))
        << "a cancelled colour dialog keeps the colour";
}

TEST_F(BackgroundsDialog, ClickedTextureIsMarkedChosenAndStored)
{
    Run(
        [](TBackgroundsDialog *shown) {
            QTest::mouseClick(shown->m_textureRadio, Qt::LeftButton);
            QTest::mouseClick(shown->m_texturePreviews[1], Qt::LeftButton);
            QTest::mouseClick(shown->m_texturePreviews[3], Qt::LeftButton);
        },
        true);

    EXPECT_EQ(ShadowColours(), (std::vector<QColor>{Grey, Grey, Grey, Black, Grey}));
    EXPECT_EQ(m_document.GetAttr(PuzzleSchema::KeyTexture), QByteArray("4"));
    EXPECT_EQ(m_dialog.ChosenTexture().size(), QSize(94, 94));
}

TEST_F(BackgroundsDialog, ClosingByTheCaptionIsACancel)
{
    AnswerModal<TBackgroundsDialog>([](TBackgroundsDialog *shown) {
        QTest::mouseClick(shown->m_textureRadio, Qt::LeftButton);
        shown->close();
    });
    EXPECT_TRUE(m_dialog.RunDialog(QString()).isEmpty());
    EXPECT_TRUE(m_document.AttrNames().isEmpty());
}

TEST_F(BackgroundsDialog, TexturesAreBuiltInAtTheirSizes)
{
    const QSize expected[] = {{94, 94}, {320, 240}, {94, 94}, {94, 94}, {94, 94}};
    for (int n = 1; n <= TBackgroundsDialog::TextureCount; ++n) {
        m_document.SetAttr(PuzzleSchema::KeyTexture, IntToText(n));
        m_dialog.LoadData(QString());
        EXPECT_EQ(m_dialog.ChosenTexture().size(), expected[n - 1]) << n;
    }
}

TEST_F(BackgroundsDialog, LoadingAloneReadsTheStoredChoiceWithQuietFallbacks)
{
    struct TCase {
        QByteArray texture, colour;
        bool textureMode;
        int index;
        TColor colourValue;
    };
    const TCase cases[] = {
        {"5", "#0000FF", true, 5, 0xFF0000u},           // blue lies in the third byte
        {"abc", "", true, 0, WorkspaceColour()},        // not a number: texture mode, none marked
        {"9", "#GG0000", true, 0, 0},                   // out of range; unreadable colour is black
        {"-1", "#FF00", true, 0, 0},                    // too short for a colour: black
        {"", "-16777201", false, 0, WorkspaceColour()}, // not a plain colour value
    };
    for (const TCase &c : cases) {
        m_document.SetAttr(PuzzleSchema::KeyTexture, c.texture);
        m_document.SetAttr(PuzzleSchema::KeyColor, c.colour);
        m_dialog.LoadData(QString());
        EXPECT_EQ(m_dialog.IsTextureChosen(), c.textureMode) << c.texture.constData();
        EXPECT_EQ(m_dialog.TextureIndex(), c.index) << c.texture.constData();
        EXPECT_EQ(m_dialog.ChosenColor(), c.colourValue) << c.colour.constData();
    }
}

TEST(BackgroundsWithoutDocument, StoresNothingAndStillAccepts)
{
    TBackgroundsDialog dialog{[] { return nullptr; }};
    AnswerModal<TBackgroundsDialog>(
        [](TBackgroundsDialog *shown) { QTest::mouseClick(shown->m_okButton, Qt::LeftButton); });
    EXPECT_EQ(dialog.RunDialog(QString()), QStringLiteral("Y"));
    EXPECT_EQ(dialog.height(), 170);
}

// Counts the base dialog's steps so that their order and the clean-up on every path show.
class TRecordingForm : public TDataDialogBase
{
public:
    void LoadData(const QString &argument) override
    {
        steps += "load ";
        if (failLoading)
            throw std::runtime_error("unreadable");
        TDataDialogBase::LoadData(argument);
    }
    void StoreData() override { steps += "store "; }
    void ReleaseData() override { steps += "release"; }

    QString steps;
    bool failLoading = false;
};

TEST(DataForm, OkStoresAndReturnsTheResultTextAndCancelReturnsEmpty)
{
    TRecordingForm form;
    AnswerModal<TDataDialogBase>(
        [](TDataDialogBase *shown) { QTest::mouseClick(shown->m_okButton, Qt::LeftButton); });
    EXPECT_EQ(form.RunDialog(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(form.steps, QStringLiteral("load store release"));

    form.steps.clear();
    AnswerModal<TDataDialogBase>(
        [](TDataDialogBase *shown) { QTest::mouseClick(shown->m_cancelButton, Qt::LeftButton); });
    EXPECT_TRUE(form.RunDialog(QStringLiteral("abc")).isEmpty());
    EXPECT_EQ(form.steps, QStringLiteral("load release"));
}

TEST(DataForm, FailedLoadStillReleases)
{
    TRecordingForm form;
    form.failLoading = true;
    EXPECT_THROW(form.RunDialog(QString()), std::runtime_error);
    EXPECT_EQ(form.steps, QStringLiteral("load release"));
}

} // namespace
