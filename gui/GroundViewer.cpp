#include "gui/GroundViewer.hpp"

#include "gui/CaptionFit.hpp"
#include "gui/PictureConversion.hpp"
#include "shell/Image.hpp"
#include "gui/MainMenu.hpp"
#include "gui/WindowFont.hpp"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <array>
#include <string_view>

namespace {

struct Text {
    std::string_view english;
    std::string_view czech;
};

// Every text of the ground viewer, English and Czech side by side.
enum TextId { TextTitle, TextClose, TextCount };
constexpr std::array<Text, TextCount> kTexts{{
    {"Ground texture", "Textura povrchu"},
    {"Close", "Konec"},
}};

QString text(vantor::Language language, TextId id)
{
    const std::string_view t = vantor::tr(language, kTexts[id].english, kTexts[id].czech);
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

// Design size, replaced at every opening.
constexpr int kDesignWidth = 205;
constexpr int kDesignHeight = 236;
constexpr int kDesignImageSide = 105;
// The viewer is this much larger than the picture.
constexpr int kExtraWidth = 20;
constexpr int kExtraHeight = 40;
// The Close button's design width; it grows when its caption needs more.
constexpr int kButtonWidth = 41;
// Room left on the screen for the window's frame and title bar, which are
// not known before the window is first shown.
constexpr int kFrameAllowanceWidth = 16;
constexpr int kFrameAllowanceHeight = 48;

} // namespace

GroundViewer::GroundViewer(const MainMenu& menu, QWidget* parent) : QDialog(parent), menu_(menu)
{
    setObjectName("FormGround");
    setFont(windowFont());
    setWindowTitle(text(vantor::Language::English, TextTitle));
    resize(kDesignWidth, kDesignHeight);

    // The picture at (0, 0) inside an area that scrolls only when the window
    // is smaller than the picture.
    scroller_ = new QScrollArea(this);
    scroller_->setObjectName("ScrollGround");
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroller_->setWidgetResizable(false);
    scroller_->setGeometry(0, 0, kDesignWidth, kDesignHeight);
    Image1 = new QLabel;
    Image1->setObjectName("Image1");
    Image1->setGeometry(0, 0, kDesignImageSide, kDesignImageSide);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroller_->setWidget(Image1);

    Button1 = new QPushButton(text(vantor::Language::English, TextClose), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(8, 8, kButtonWidth, 25);
    Button1->raise();
    connect(Button1, &QPushButton::clicked, this, &GroundViewer::Button1Click);
}

void GroundViewer::preparePicture(const vantor::Image& ground)
{
    const int side = ground.width();
    QSize windowSize(side + kExtraWidth, side + kExtraHeight);
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(QPoint(0, 0), windowSize);
    const QSize roomForClient(room.width() - kFrameAllowanceWidth, room.height() - kFrameAllowanceHeight);
    const bool held = windowSize.width() > roomForClient.width() || windowSize.height() > roomForClient.height();
    windowSize = windowSize.boundedTo(roomForClient);
    setFixedSize(windowSize);
    if (held) // the whole window on the screen, its top left in view
        move(room.left() + (room.width() - windowSize.width()) / 2, room.top());
    scroller_->setGeometry(0, 0, windowSize.width(), windowSize.height());
    Image1->setPixmap(toPixmap(ground));
    Image1->resize(side, side);
    scroller_->horizontalScrollBar()->setValue(0);
    scroller_->verticalScrollBar()->setValue(0);

    const vantor::Language language = menu_.language();
    setWindowTitle(text(language, TextTitle));
    Button1->setText(text(language, TextClose));
    growRightToCaption(*Button1, kButtonWidth);
}

void GroundViewer::showPicture(const vantor::Image& ground)
{
    preparePicture(ground);
    exec();
}

void GroundViewer::Button1Click()
{
    accept();
}
