#include "gui/GroundViewer.hpp"

#include "gui/CaptionFit.hpp"
#include "gui/PictureConversion.hpp"
#include "shell/Image.hpp"
#include "gui/MainMenu.hpp"
#include "gui/WindowFont.hpp"

#include <QLabel>
#include <QPushButton>

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

} // namespace

GroundViewer::GroundViewer(const MainMenu& menu, QWidget* parent) : QDialog(parent), menu_(menu)
{
    setObjectName("FormGround");
    setFont(windowFont());
    setWindowTitle(text(vantor::Language::English, TextTitle));
    resize(kDesignWidth, kDesignHeight);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(0, 0, kDesignImageSide, kDesignImageSide);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Button1 = new QPushButton(text(vantor::Language::English, TextClose), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(8, 8, kButtonWidth, 25);
    Button1->raise();
    connect(Button1, &QPushButton::clicked, this, &GroundViewer::Button1Click);
}

void GroundViewer::preparePicture(const vantor::Image& ground)
{
    const int side = ground.width();
    setFixedSize(side + kExtraWidth, side + kExtraHeight);
    Image1->setGeometry(0, 0, side, side);
    Image1->setPixmap(toPixmap(ground));

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
