#pragma once
// The ground viewer: the ground picture of the last generated city at its
// full size, with a Close button over its top-left corner. Opened modally
// by the single-mission wizard. The window is the picture's side plus 20
// pixels wide and plus 40 high (1044 x 1064 for a large city) where the
// screen's free area allows; on a smaller screen it is held to that area
// and the picture scrolls.

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;
class MainMenu;

namespace vantor {
class Image;
}

class GroundViewer final : public QDialog {
    Q_OBJECT
public:
    // menu: where the language is read at every showing.
    explicit GroundViewer(const MainMenu& menu, QWidget* parent = nullptr);

    // Sizes the viewer for a picture of side s (s + 20 wide, s + 40 high,
    // held to the free area of the screen, less room for the window's
    // frame), copies the picture into it and sets the texts; does not show it.
    void preparePicture(const vantor::Image& ground);
    // preparePicture, then shows the viewer modally until it is closed.
    void showPicture(const vantor::Image& ground);

private slots:
    void Button1Click();

private:
    const MainMenu& menu_;
    QScrollArea* scroller_;
    QLabel* Image1;
    QPushButton* Button1;
};
