#include "gui/GameFolderQuestion.hpp"

#include "gui/QtText.hpp"
#include "gui/WindowFont.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Every text of the question; both languages are shown together.
constexpr WindowText kHeading{"Where is Korvane's folder?", "Kde je složka hry Korvane?"};
constexpr WindowText kWhy{
    "Vantor writes its maps into the atlas folder inside Korvane's folder, where the game reads them, and takes "
    "the language and the unlocked mission layouts from the game's config.ini. Choose the folder Korvane is "
    "installed in, or keep Vantor's own folder %1 and copy the maps into the game later.",
    "Vantor zapisuje mapy do složky atlas ve složce hry Korvane, odkud je hra čte, a jazyk a odemčené mise bere "
    "z config.ini hry. Vyberte složku, do které je Korvane nainstalován, nebo ponechte vlastní složku Vantoru %1 "
    "a mapy do hry zkopírujte později."};
constexpr WindowText kLater{"The main menu's \"Game folder…\" changes the folder at any time.",
                            "Tlačítko „Složka hry…“ v hlavní nabídce složku kdykoli změní."};
constexpr std::string_view kChoose = "&Choose the game folder… / Vybrat složku hry…";
constexpr std::string_view kKeep = "&Keep Vantor's folder / Ponechat složku Vantoru";
constexpr int kWidth = 520;

} // namespace

GameFolderQuestion::GameFolderQuestion(const std::filesystem::path& defaultFolder, const QString& note,
                                       QWidget* parent)
    : QDialog(parent)
{
    setObjectName("GameFolderQuestion");
    setWindowTitle(QStringLiteral("Vantor"));
    setFont(windowFont());
    setModal(true);

    const QString folder = folderText(defaultFolder);
    QString question;
    if (!note.isEmpty())
        question = note + QStringLiteral("\n\n");
    question += fromUtf8(kWhy.english).arg(folder) + QStringLiteral("\n") + fromUtf8(kLater.english) +
                QStringLiteral("\n\n") + fromUtf8(kWhy.czech).arg(folder) + QStringLiteral("\n") +
                fromUtf8(kLater.czech);
    auto* heading = new QLabel(fromUtf8(kHeading.english) + QStringLiteral(" · ") + fromUtf8(kHeading.czech), this);
    heading->setObjectName("LabelHeading");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    LabelQuestion = new QLabel(question, this);
    LabelQuestion->setObjectName("LabelQuestion");
    LabelQuestion->setWordWrap(true);
    LabelQuestion->setFixedWidth(kWidth);
    LabelQuestion->setTextInteractionFlags(Qt::TextSelectableByMouse);

    ButtonChoose = new QPushButton(fromUtf8(kChoose), this);
    ButtonChoose->setObjectName("ButtonChoose");
    ButtonChoose->setDefault(true);
    ButtonKeep = new QPushButton(fromUtf8(kKeep), this);
    ButtonKeep->setObjectName("ButtonKeep");
    connect(ButtonChoose, &QPushButton::clicked, this, [this] { done(Choose); });
    connect(ButtonKeep, &QPushButton::clicked, this, [this] { done(KeepDefault); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonChoose);
    buttons->addWidget(ButtonKeep);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(LabelQuestion);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(ButtonChoose, ButtonKeep);
    ButtonChoose->setFocus();
}
