#pragma once
// The desktop backgrounds dialog: a fixed colour or one of five built-in textures for the puzzle
// desktop. The choice is read from and written to the running puzzle's document (keys "COLOR"
// and "TEXTURE"), so it travels with the saved game. One instance serves the whole game.

#include "engine/container/DocumentValues.h"
#include "windows/play/DataDialogBase.h"

#include <QImage>
#include <array>
#include <functional>

class QColorDialog;
class QRadioButton;
class QScrollArea;
class QToolButton;
struct TPuzzleGame;
class TShapeWidget;

// A texture's preview in the dialog: the picture stretched to the control, or its top-left
// corner at its own size, asked for when it is first painted. A left click raises clicked.
class TTexturePreview : public QWidget
{
    Q_OBJECT
public:
    TTexturePreview(QWidget *parent, const QRect &geometry, std::function<QImage()> texture,
                    bool stretched);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::function<QImage()> m_texture;
    bool m_stretched;
};

class TBackgroundsDialog : public TDataDialogBase
{
    Q_OBJECT
public:
    static constexpr int TextureCount = 5;

    // Where the dialog finds the running puzzle's game at each LoadData (the player session's
    // game in the player); it may give null, which reads as a game with no background chosen
    // and stores nothing.
    using TGameSource = std::function<TPuzzleGame *()>;

    explicit TBackgroundsDialog(TGameSource runningGame, QWidget *parent = nullptr);

    // Reads "COLOR" and "TEXTURE" of the running document into the dialog; the argument is not
    // used. Also called alone, without showing, to learn the stored choice.
    void LoadData(const QString &argument) override;
    // Writes "COLOR" always and "TEXTURE" only in texture mode (removing it otherwise).
    void StoreData() override;
    void ReleaseData() override;

    bool IsTextureChosen() const;
    // The marked texture (a shared copy); a null image in fixed-colour mode or with none marked.
    QImage ChosenTexture() const;
    TColor ChosenColor() const { return m_fixedColour; }

    // Marks texture n (1 to 5); any other value marks none and makes the index 0.
    void SelectTexture(int n);
    // Height and texture row follow the chosen mode.
    void UpdateLayout();

    int TextureIndex() const { return m_textureIndex; }

    QRadioButton *m_colourRadio;
    TShapeWidget *m_colourSwatch;
    QToolButton *m_chooseColourButton;
    QRadioButton *m_textureRadio;
    QScrollArea *m_textureScroll;
    // m_texturePreviews[0] is the first texture's preview, m_textureShadows[0] the square behind
    // it.
    std::array<TTexturePreview *, TextureCount> m_texturePreviews;
    std::array<TShapeWidget *, TextureCount> m_textureShadows;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CreateColorRow();
    void CreateTextureRow();
    void SetFixedColour(TColor colour);
    void ChooseColourClicked();
    // Texture n (0 to 4), decoded the first time it is asked for: a game needs at most the
    // chosen one until the dialog is shown.
    QImage Texture(int n) const;

    TGameSource m_runningGame;
    mutable std::array<QImage, TextureCount> m_textures;
    // Made when a colour is first chosen.
    QColorDialog *m_colourDialog = nullptr;
    TPuzzleGame *m_game = nullptr;
    TColor m_fixedColour = 0;
    int m_textureIndex = 0;
};
