#include "gui/WizardFrame.hpp"

#include "city/RandomSource.hpp"
#include "gui/QtText.hpp"
#include "gui/StepClickGuard.hpp"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

namespace {

enum TextId { TextBack, TextNext, TextClose, TextSeed, TextSeedTip, TextCount };

constexpr std::array<WindowText, TextCount> kTexts{{
    {"<< &Back", "<< &Zpět"},
    {"&Next >>", "&Další >>"},
    {"&Close", "&Konec"},
    {"See&d:", "Sem&ínko:"},
    {"Empty: a new seed every time. The same seed and settings make the same map again.",
     "Prázdné: pokaždé nové semínko. Stejné semínko a nastavení vytvoří stejnou mapu znovu."},
}};

// Digits only, at most 4294967295; empty is acceptable (a new seed).
std::optional<std::uint32_t> parseSeed(const QString& text)
{
    const std::string digits = text.trimmed().toStdString();
    std::uint32_t seed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), seed);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size())
        return std::nullopt;
    return seed;
}

class SeedValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return input.isEmpty() || parseSeed(input) ? Acceptable : Invalid;
    }
};

} // namespace

WizardFrame::WizardFrame(int stepCount, QWidget* parent) : QDialog(parent), stepCount_(stepCount) {}

void WizardFrame::makeNavigation(QRect back, QRect next, QRect close)
{
    const auto make = [this](const char* name, QRect place) {
        auto* button = new QPushButton(this);
        button->setObjectName(name);
        button->setGeometry(place);
        // Enter goes to the default button wherever the focus is.
        button->setAutoDefault(false);
        return button;
    };
    ButtonBack = make("ButtonBack", back);
    ButtonNext = make("ButtonNext", next);
    ButtonClose = make("ButtonClose", close);
    ButtonNext->setDefault(true);
    stepGuard_ = new StepClickGuard(*this, {ButtonNext, ButtonBack});
    connect(ButtonNext, &QPushButton::clicked, this, &WizardFrame::goNext);
    connect(ButtonBack, &QPushButton::clicked, this, &WizardFrame::goBack);
    connect(ButtonClose, &QPushButton::clicked, this, &QWidget::close);
}

void WizardFrame::setNavigationTexts(vantor::Language language)
{
    ButtonBack->setText(translated(language, kTexts[TextBack]));
    ButtonNext->setText(translated(language, kTexts[TextNext]));
    ButtonClose->setText(translated(language, kTexts[TextClose]));
}

void WizardFrame::makeSeedField(QRect label, QRect field)
{
    LabelSeed = new QLabel(this);
    LabelSeed->setObjectName("LabelSeed");
    LabelSeed->setGeometry(label);
    LabelSeed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    EditSeed = new QLineEdit(this);
    EditSeed->setObjectName("EditSeed");
    EditSeed->setGeometry(field);
    EditSeed->setValidator(new SeedValidator(EditSeed));
    LabelSeed->setBuddy(EditSeed);
    setSeedText(vantor::Language::English);
}

void WizardFrame::setSeedText(vantor::Language language)
{
    LabelSeed->setText(translated(language, kTexts[TextSeed]));
    EditSeed->setToolTip(translated(language, kTexts[TextSeedTip]));
}

std::optional<std::uint32_t> WizardFrame::typedSeed() const
{
    return EditSeed != nullptr ? parseSeed(EditSeed->text()) : std::nullopt;
}

void WizardFrame::applyTypedSeed(vantor::RandomSource& random) const
{
    if (const std::optional<std::uint32_t> seed = typedSeed())
        random.setSeed(*seed);
}

bool WizardFrame::folderWritable(const std::filesystem::path& folder)
{
    std::error_code error;
    const bool exists = std::filesystem::exists(folder, error);
    const QFileInfo info(QString::fromStdU16String(exists ? folder.u16string() : folder.parent_path().u16string()));
    return info.isDir() && info.isWritable();
}

std::string WizardFrame::folderNotWritableText(vantor::Language language, const std::filesystem::path& folder)
{
    return std::string(vantor::tr(language, "The game's folder cannot be written:\r", "Do složky hry nelze zapisovat:\r")) +
           pathText(folder) +
           std::string(vantor::tr(language, "\rChoose another game folder in the main menu, or allow writing to this one.",
                                  "\rZvolte v hlavním menu jinou složku hry, nebo do této povolte zápis."));
}

std::string WizardFrame::pathText(const std::filesystem::path& folder)
{
    return QDir::toNativeSeparators(QString::fromStdU16String(folder.lexically_normal().u16string())).toStdString();
}

void WizardFrame::setCurrentStep(int step) noexcept
{
    step_ = std::clamp(step, 1, stepCount_);
}

bool WizardFrame::stepShown() const noexcept
{
    return stepGuard_ != nullptr && stepGuard_->stepShown();
}

void WizardFrame::goToStep(int step)
{
    step_ = std::clamp(step, 1, stepCount_);
    showStep(step_);
    stepGuard_->stepChanged();
}

void WizardFrame::goNext()
{
    if (!busy_ && step_ < stepCount_)
        goToStep(step_ + 1);
}

void WizardFrame::goBack()
{
    if (!busy_ && step_ > 1)
        goToStep(step_ - 1);
}

void WizardFrame::setNavigation(bool back, bool next)
{
    ButtonBack->setEnabled(back);
    ButtonNext->setEnabled(next);
    ButtonNext->setDefault(next);
    ButtonClose->setDefault(!next);
}

void WizardFrame::setWorking(bool working)
{
    busy_ = working;
    ButtonClose->setEnabled(!working);
    // The seed of the work under way stays as it is.
    if (EditSeed != nullptr)
        EditSeed->setEnabled(!working);
    if (working)
        setNavigation(false, false);
    else
        emit workEnded();
}

void WizardFrame::closeEvent(QCloseEvent* event)
{
    // QDialog's own closing goes through reject().
    if (busy_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void WizardFrame::reject()
{
    if (busy_)
        return;
    closing();
    QDialog::reject();
}
