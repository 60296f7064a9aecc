// What a user meets beyond each window's own texts: the progress dialog
// that only the work may hide and that opens over its wizard, Qt's standard
// buttons in Czech and No as the question's default, Enter and Escape in the
// wizards, a double-click that acts once, the ground viewer on a small
// screen, the keyboard in the choice groups, and the seeds that repeat a
// city or a campaign as vantor-cli makes it.

#include "GuiTestSupport.hpp"

#include "gui/QtMessageBoxes.hpp"
#include "wizard/CityEditorModel.hpp"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QCheckBox>
#include <QLineEdit>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QMap>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <tuple>

using namespace vantor;
using namespace vantor::test;

namespace {

namespace fs = std::filesystem;

const char* const kCzech = "[General]\r\nLanguage=Cze\r\n";

QPushButton* button(QWidget* window, const char* name)
{
    return child<QPushButton>(window, name);
}

// Records, on every round of events while `busy` holds, whether the dialog
// was hidden again after it had been shown, and runs `act` once when
// `ready` first holds.
class WhileWorking {
public:
    WhileWorking(ProgressDialog* dialog, std::function<bool()> busy, std::function<bool()> ready,
                 std::function<void()> act)
    {
        QObject::connect(&timer_, &QTimer::timeout, [=, this] {
            if (!busy())
                return;
            seen = seen || dialog->isVisible();
            if (seen && !dialog->isVisible())
                vanished = true;
            if (!acted && ready()) {
                acted = true;
                act();
                if (!dialog->isVisible())
                    vanished = true;
            }
        });
        timer_.start(0);
    }

    bool acted = false;
    bool vanished = false;

private:
    bool seen = false;
    QTimer timer_;
};

// Escape, then the window's close button.
void escapeAndClose(ProgressDialog* dialog)
{
    QTest::keyClick(dialog, Qt::Key_Escape);
    dialog->close();
}

} // namespace

class UsabilityTest : public QObject {
    Q_OBJECT
private slots:
    void progressEscapeAndClose_data();
    void progressEscapeAndClose();
    void escapeCancelsCampaign();
    void escapeIgnoredDuringCity();
    void czechMessageBoxButtons_data();
    void czechMessageBoxButtons();
    void doubleClickActsOnce_data();
    void doubleClickActsOnce();
    void groundViewerFitsScreen_data();
    void groundViewerFitsScreen();
    void keyboardInChoiceGroups_data();
    void keyboardInChoiceGroups();
    void previewShowsItsSeed_data();
    void previewShowsItsSeed();
    void campaignSeedRepeats();
    void enterAndEscape_data();
    void enterAndEscape();
    void questionDefaultsToNo();
    void progressCentredOverWizard();
    void mnemonicsOnEveryStep_data();
    void mnemonicsOnEveryStep();
};

// ---- the progress dialog ----

void UsabilityTest::progressEscapeAndClose_data()
{
    QTest::addColumn<bool>("campaign"); // a cancel handler is set
    QTest::newRow("single city") << false;
    QTest::newRow("campaign") << true;
}

void UsabilityTest::progressEscapeAndClose()
{
    QFETCH(bool, campaign);
    ProgressDialog dialog;
    int cancels = 0;
    if (campaign)
        dialog.setCancelHandler([&] { ++cancels; });
    dialog.showWork();

    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QCOMPARE(cancels, campaign ? 1 : 0);
    QVERIFY(!dialog.close());
    QVERIFY(dialog.isVisible());
    QCOMPARE(cancels, campaign ? 2 : 0);

    dialog.closeWork(); // only the work hides it
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.close()); // hidden: nothing to cancel
    QCOMPARE(cancels, campaign ? 2 : 0);
}

// Escape and close during the first city stop the campaign before the
// second; the dialog stays until the campaign has ended.
void UsabilityTest::escapeCancelsCampaign()
{
    TestProgram p;
    p.campaign->show();
    goToStep(p.campaign, 3);
    const QLabel* task = child<QLabel>(p.progress, "LabelTask");
    WhileWorking watch(
        p.progress, [&] { return p.campaign->busy(); },
        [&] { return p.progress->isVisible() && task->text().startsWith("Current task: generating"); },
        [&] { escapeAndClose(p.progress); });
    button(p.campaign, "ButtonNext")->click();

    QVERIFY(watch.acted);
    QVERIFY(!watch.vanished);
    QVERIFY(!p.progress->isVisible());
    QCOMPARE(p.campaign->wizardStep(), 4);
    QVERIFY(!fs::exists(p.dir.path() / "atlas" / "moon.bmp"));
    QVERIFY(!p.boxes.shown.empty());
    QCOMPARE(QString::fromStdString(p.boxes.shown.back().text),
             QString::fromUtf8(CampaignWriter::messageText(CampaignOutcome::Cancelled, Language::English).data()));
}

// During a single city Escape and close change nothing: the preview completes.
void UsabilityTest::escapeIgnoredDuringCity()
{
    TestProgram p;
    p.editor->show();
    goToStep(p.editor, 7);
    WhileWorking watch(
        p.progress, [&] { return p.editor->busy(); }, [&] { return p.progress->isVisible(); },
        [&] { escapeAndClose(p.progress); });
    button(p.editor, "ButtonNext")->click();

    QVERIFY(watch.acted);
    QVERIFY(!watch.vanished);
    QVERIFY(!p.progress->isVisible());
    QCOMPARE(p.editor->wizardStep(), 8);
    QVERIFY(button(p.editor, "ButtonNext")->isEnabled());
    QVERIFY(child<QLabel>(p.editor, "CityMap")->isVisibleTo(p.editor));
    QVERIFY(p.boxes.shown.empty());
}

// ---- Qt's own texts in Czech ----

void UsabilityTest::czechMessageBoxButtons_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QStringList>("question");
    QTest::addColumn<QStringList>("information");
    QTest::newRow("English") << "" << QStringList{"Yes", "No"} << QStringList{"OK"};
    QTest::newRow("Czech") << kCzech << QStringList{"Ano", "Ne"} << QStringList{"OK"};
}

void UsabilityTest::czechMessageBoxButtons()
{
    QFETCH(QString, config);
    QFETCH(QStringList, question);
    QFETCH(QStringList, information);
    if (!config.isEmpty() &&
        !QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_cs.qm"))
        QSKIP("Qt's Czech translations (qt6-translations-l10n) are not installed");

    TestProgram p(config.toStdString());
    QtMessageBoxes boxes;
    for (const auto& [kind, expected, answer] :
         {std::tuple{MessageBoxes::Kind::Question, question, MessageBoxes::Answer::No},
          std::tuple{MessageBoxes::Kind::Information, information, MessageBoxes::Answer::Ok}}) {
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            QAbstractButton* last = nullptr;
            for (QAbstractButton* b : box->buttons()) {
                seen << b->text().remove('&');
                last = b;
            }
            seen.sort();
            // No for the question, OK for the information.
            (box->buttons().size() > 1 ? box->button(QMessageBox::No) : last)->click();
        });
        QCOMPARE(boxes.show(kind, "Přepsat?"), answer);
        QStringList sorted = expected;
        sorted.sort();
        QCOMPARE(seen, sorted);
    }
}

// ---- a double-click acts once ----

void UsabilityTest::doubleClickActsOnce_data()
{
    QTest::addColumn<bool>("campaign");
    QTest::addColumn<int>("from");
    QTest::newRow("city wizard, Next at step 7") << false << 7;
    QTest::newRow("campaign wizard, Next at step 2") << true << 2;
}

void UsabilityTest::doubleClickActsOnce()
{
    QFETCH(bool, campaign);
    QFETCH(int, from);
    TestProgram p;
    QDialog* wizard = campaign ? static_cast<QDialog*>(p.campaign) : static_cast<QDialog*>(p.editor);
    const auto step = [&] { return campaign ? p.campaign->wizardStep() : p.editor->wizardStep(); };
    const auto shown = [&] { return campaign ? p.campaign->stepShown() : p.editor->stepShown(); };
    const fs::path single = p.dir.path() / "atlas" / "SingleCity.ini";
    wizard->show();
    if (campaign)
        goToStep(p.campaign, from);
    else
        goToStep(p.editor, from);
    QTRY_VERIFY_WITH_TIMEOUT(shown(), kWaitMs);
    QPushButton* next = button(wizard, "ButtonNext");

    // Press, release, the double-click's second press, release: the first
    // click runs the next step's work at once, the second does nothing.
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::mouseDClick(next, Qt::LeftButton);
    QTest::mouseRelease(next, Qt::LeftButton);
    QCOMPARE(step(), from + 1);
    QVERIFY(next->isEnabled());
    QVERIFY(!fs::exists(single));

    // A separate click before the new step was painted does nothing either.
    QVERIFY(!shown());
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(step(), from + 1);

    // Once it shows, Next works.
    QTRY_VERIFY_WITH_TIMEOUT(shown(), kWaitMs);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(step(), from + 2);
    if (!campaign)
        QVERIFY(fs::exists(single));
}

// ---- the ground viewer ----

void UsabilityTest::groundViewerFitsScreen_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("side");
    QTest::newRow("Large") << 3 << 1024;
    QTest::newRow("Medium") << 2 << 512;
    QTest::newRow("Very small") << 0 << 128;
}

// The design size (side + 20 by side + 40) where the screen's free area
// holds it, otherwise a window inside that area whose picture scrolls to
// its far corner.
void UsabilityTest::groundViewerFitsScreen()
{
    QFETCH(int, size);
    QFETCH(int, side);
    TestProgram p;
    p.editor->show();
    child<QRadioButton>(p.editor, QString("RadioGroupSizeItem%1").arg(size).toLatin1().constData())->click();
    goToStep(p.editor, 8);

    QSize seen;
    QRect frame;
    QSize picture;
    QPoint scrollMax;
    QSize viewport;
    bool closed = false;
    QTimer::singleShot(0, p.ground, [&] {
        seen = p.ground->size();
        frame = p.ground->geometry();
        picture = child<QLabel>(p.ground, "Image1")->size();
        auto* area = child<QScrollArea>(p.ground, "ScrollGround");
        scrollMax = {area->horizontalScrollBar()->maximum(), area->verticalScrollBar()->maximum()};
        viewport = area->viewport()->size();
        closed = closesItsWindow(p.ground, button(p.ground, "Button1"));
    });
    button(p.editor, "ButtonShowGround")->click();
    QVERIFY(closed);

    const QRect room = p.ground->screen()->availableGeometry();
    const QSize design(side + 20, side + 40);
    QCOMPARE(picture, QSize(side, side));
    if (design.width() + 16 <= room.width() && design.height() + 48 <= room.height()) {
        QCOMPARE(seen, design);
        QCOMPARE(scrollMax, QPoint(0, 0));
    } else {
        QVERIFY(seen.width() <= room.width() && seen.height() <= room.height());
        QVERIFY(room.contains(frame));
        // The far corner can be scrolled into view.
        QCOMPARE(scrollMax.x(), std::max(0, side - viewport.width()));
        QCOMPARE(scrollMax.y(), std::max(0, side - viewport.height()));
        QVERIFY(scrollMax.y() > 0);
    }
}

// ---- the keyboard in the choice groups ----

void UsabilityTest::keyboardInChoiceGroups_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("checked");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QList<int>>("choices"); // after each key
    QTest::newRow("size") << 1 << "RadioGroupSize" << 3 << QList<int>{Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Left}
                          << QList<int>{2, 1, 2, 1};
    QTest::newRow("lamps") << 2 << "RadioGroupLampGrid" << 1
                           << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Right}
                           << QList<int>{2, 3, 3, 2, 3};
}

// Tab and Shift+Tab into a group land on its checked choice and leave it
// with the next press; the arrows move the choice and the model follows.
void UsabilityTest::keyboardInChoiceGroups()
{
    QFETCH(int, step);
    QFETCH(QString, group);
    QFETCH(int, checked);
    QFETCH(QList<int>, keys);
    QFETCH(QList<int>, choices);
    TestProgram p;
    p.editor->show();
    QApplication::setActiveWindow(p.editor);
    QVERIFY(QTest::qWaitForWindowActive(p.editor, kWaitMs));
    goToStep(p.editor, step);
    const auto radio = [&](int item) {
        return child<QRadioButton>(p.editor, QString("%1Item%2").arg(group).arg(item).toLatin1().constData());
    };
    const auto inGroup = [&] {
        QWidget* f = QApplication::focusWidget();
        return f != nullptr && f->parentWidget() == child<QWidget>(p.editor, group.toLatin1().constData());
    };
    const auto model = [&] {
        const GenerationParams& params = p.editor->model().params();
        return step == 1 ? params.sizeChoice : params.lampChoice;
    };

    for (Qt::Key tab : {Qt::Key_Tab, Qt::Key_Backtab}) {
        button(p.editor, "ButtonNext")->setFocus(Qt::OtherFocusReason);
        for (int i = 0; i < 10 && !inGroup(); ++i)
            QTest::keyClick(QApplication::focusWidget(), tab);
        QVERIFY(inGroup());
        QCOMPARE(QApplication::focusWidget(), radio(checked));
        // The next Tab leaves the group: the other choices are not stops of their own.
        QTest::keyClick(QApplication::focusWidget(), tab);
        QVERIFY(!inGroup());
        QTest::keyClick(QApplication::focusWidget(), tab == Qt::Key_Tab ? Qt::Key_Backtab : Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), radio(checked));
    }
    for (int i = 0; i < keys.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(keys[i]));
        QVERIFY2(radio(choices[i])->isChecked(), qPrintable(QString("after key %1").arg(i)));
        QCOMPARE(QApplication::focusWidget(), radio(choices[i]));
        QCOMPARE(model(), choices[i]);
    }
}

// ---- the seed of the preview ----

void UsabilityTest::previewShowsItsSeed_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("typed");
    QTest::newRow("English, Large, typed seed") << "" << "Seed" << 3 << "4000000001";
    QTest::newRow("Czech, Small, new seed") << kCzech << "Semínko" << 1 << "";
}

// Steps 8 and 9 say which seed made the preview (the typed one, or a new one
// when the field is empty); the core with that seed and the same settings
// makes the same city, and vantor-cli the same four files.
void UsabilityTest::previewShowsItsSeed()
{
    QFETCH(QString, config);
    QFETCH(QString, word);
    QFETCH(int, size);
    QFETCH(QString, typed);
    TestProgram p(config.toStdString());
    p.editor->show();
    QTest::keyClicks(child<QLineEdit>(p.editor, "EditSeed"), typed);
    child<QRadioButton>(p.editor, QString("RadioGroupSizeItem%1").arg(size).toLatin1().constData())->click();
    goToStep(p.editor, 7);
    const GenerationParams settings = p.editor->model().params();
    goToStep(p.editor, 8);

    const QRegularExpression seedText("\\n" + word + " (\\d+)$");
    const QRegularExpressionMatch match = seedText.match(child<QLabel>(p.editor, "LabelInfo")->text());
    QVERIFY2(match.hasMatch(), qPrintable(child<QLabel>(p.editor, "LabelInfo")->text()));
    bool ok = false;
    const std::uint32_t seed = match.captured(1).toUInt(&ok);
    QVERIFY(ok);
    if (!typed.isEmpty())
        QCOMPARE(match.captured(1), typed);

    CityEditorModel again(p.editor->model().language());
    attachData(again);
    again.params() = settings;
    RandomSource random(seed);
    NullProgressSink quiet;
    again.generate(random, quiet);
    const CityState& shown = p.editor->model().city();
    QVERIFY(again.city().planPicture == shown.planPicture);
    QVERIFY(again.city().groundPicture == shown.groundPicture);
    QVERIFY(again.city().heightPicture == shown.heightPicture);

    goToStep(p.editor, 9);
    QVERIFY(seedText.match(child<QLabel>(p.editor, "LabelInfo")->text()).hasMatch());
    QCOMPARE(seedText.match(child<QLabel>(p.editor, "LabelInfo")->text()).captured(1), match.captured(1));

    // The command line: defaults but the size, with the seed shown.
    TempDir root;
    linkData(root.path());
    writeFile(root.path() / "config.ini", config.toStdString());
    const char* const sizes[] = {"very-small", "small", "medium", "large"};
    const ProcessResult cli = runCli({"city", "--root", root.path().string(), "--seed", std::to_string(seed),
                                      "--size", sizes[size]});
    QVERIFY2(cli.exitCode == 0, cli.output.c_str());
    for (const char* file : {"SingleCity.ini", "SingleCityPLAN.bmp", "SingleCityGROUND.bmp", "SingleCityHIGHT.bmp"})
        QVERIFY2(readFile(root.path() / "atlas" / file) == readFile(p.dir.path() / "atlas" / file), file);
}

// The campaign wizard with a typed seed writes the files `vantor-cli campaign
// --seed` writes with the same settings, and its preview says the seed.
void UsabilityTest::campaignSeedRepeats()
{
    TestProgram p;
    p.campaign->show();
    QTest::keyClicks(child<QLineEdit>(p.campaign, "EditSeed"), "77");
    goToStep(p.campaign, 2);
    child<QCheckBox>(p.campaign, "CheckBoxBigCity")->setChecked(false); // small cities keep the test quick
    goToStep(p.campaign, 3);
    QVERIFY(child<QLabel>(p.campaign, "LabelWorking")->text().endsWith("\nSeed 77"));
    // The current-task bar runs for each city, not only the total bar.
    int taskBarTop = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (p.progress->isVisible())
            taskBarTop = std::max(taskBarTop, child<QProgressBar>(p.progress, "ProgressBarTask")->value());
    });
    watch.start(0);
    goToStep(p.campaign, 4);
    QCOMPARE(taskBarTop, 100);
    QVERIFY(fs::is_regular_file(p.dir.path() / "atlas" / "start.ini"));

    TempDir root;
    linkData(root.path());
    const ProcessResult cli =
        runCli({"campaign", "--root", root.path().string(), "--seed", "77", "--large-cities", "off"});
    QVERIFY2(cli.exitCode == 0, cli.output.c_str());
    std::vector<fs::path> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(root.path() / "atlas"))
        if (entry.is_regular_file() && entry.path().filename() != ".lock")
            names.push_back(entry.path().filename());
    QVERIFY(names.size() > 60);
    for (const fs::path& name : names)
        QVERIFY2(readFile(root.path() / "atlas" / name) == readFile(p.dir.path() / "atlas" / name),
                 name.string().c_str());
}

void UsabilityTest::enterAndEscape_data()
{
    QTest::addColumn<bool>("campaign");
    QTest::newRow("city wizard") << false;
    QTest::newRow("campaign wizard") << true;
}

// Enter presses the default button wherever the focus is: Next on every
// step, and on the last step, where Next is off, Close. Escape closes as Close does.
void UsabilityTest::enterAndEscape()
{
    QFETCH(bool, campaign);
    TestProgram p;
    WizardFrame* wizard = campaign ? static_cast<WizardFrame*>(p.campaign) : static_cast<WizardFrame*>(p.editor);
    const int steps = campaign ? 4 : 9;
    const auto pressEnter = [wizard] {
        QWidget* focus = wizard->focusWidget() != nullptr ? wizard->focusWidget() : wizard;
        QTest::keyClick(focus, Qt::Key_Return);
    };
    wizard->show();
    if (campaign) {
        child<QCheckBox>(p.campaign, "CheckBoxBigCity")->setChecked(false);
        child<QLineEdit>(p.campaign, "EditCityNum")->setFocus(); // Enter in a count box moves on too
    } else {
        child<QRadioButton>(p.editor, "RadioGroupSizeItem0")->click();
    }
    for (int step = 1; step < steps; ++step) {
        QCOMPARE(wizard->wizardStep(), step);
        QVERIFY(button(wizard, "ButtonNext")->isDefault());
        pressEnter();
    }
    QCOMPARE(wizard->wizardStep(), steps);
    QVERIFY(!button(wizard, "ButtonNext")->isEnabled());
    QVERIFY(button(wizard, "ButtonClose")->isDefault());
    pressEnter();
    QVERIFY(!wizard->isVisible());

    wizard->show();
    QVERIFY(wizard->isVisible());
    // Tab follows reading order: the step's controls, then the bottom row left to right.
    const QStringList order = campaign ? QStringList{"EditCityNum", "ButtonCityNumPlus", "ButtonCityNumMinus",
                                                     "EditDistrictNum", "ButtonDistrictNumPlus",
                                                     "ButtonDistrictNumMinus", "ButtonReset", "EditSeed", "ButtonNext",
                                                     "ButtonClose"}
                                       : QStringList{"RadioGroupSizeItem0", "ButtonReset", "EditSeed", "ButtonNext",
                                                     "ButtonClose"};
    QApplication::setActiveWindow(wizard);
    QStringList tabbed;
    child<QWidget>(wizard, order.front().toLatin1().constData())->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < order.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus != nullptr);
        tabbed << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(tabbed, order);
    pressEnter();
    QCOMPARE(wizard->wizardStep(), 2);
    QTest::keyClick(wizard, Qt::Key_Escape);
    QVERIFY(!wizard->isVisible());
}

// The overwrite question's default is No: Enter alone keeps the campaign.
void UsabilityTest::questionDefaultsToNo()
{
    QtMessageBoxes boxes;
    bool noIsDefault = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(boxes.show(MessageBoxes::Kind::Question, "Campaign already exists.\rDo you want to overwrite it?"),
             MessageBoxes::Answer::No);
    QVERIFY(noIsDefault);
}

// The progress dialog opens centred over the wizard whose work it shows.
void UsabilityTest::progressCentredOverWizard()
{
    TestProgram p;
    p.editor->show();
    p.editor->move(40, 30);
    QPoint centre;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (p.progress->isVisible())
            centre = p.progress->frameGeometry().center();
    });
    probe.start(0);
    child<QRadioButton>(p.editor, "RadioGroupSizeItem0")->click();
    goToStep(p.editor, 8);
    QVERIFY(!centre.isNull());
    // Within a window frame's border of the centre.
    QVERIFY2((centre - p.editor->frameGeometry().center()).manhattanLength() <= 8,
             qPrintable(QString("%1,%2").arg(centre.x()).arg(centre.y())));
}

void UsabilityTest::mnemonicsOnEveryStep_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<bool>("campaign");
    QTest::newRow("city wizard") << "" << false;
    QTest::newRow("city wizard, Czech") << kCzech << false;
    QTest::newRow("campaign wizard") << "" << true;
    QTest::newRow("campaign wizard, Czech") << kCzech << true;
}

// On every step every button and choice shown (the + and - arrows aside)
// and every label of a field has a mnemonic, and no two share one.
void UsabilityTest::mnemonicsOnEveryStep()
{
    QFETCH(QString, config);
    QFETCH(bool, campaign);
    TestProgram p(config.toStdString());
    WizardFrame* wizard = campaign ? static_cast<WizardFrame*>(p.campaign) : static_cast<WizardFrame*>(p.editor);
    wizard->show();
    if (campaign)
        child<QCheckBox>(p.campaign, "CheckBoxBigCity")->setChecked(false);
    else
        child<QRadioButton>(p.editor, "RadioGroupSizeItem0")->click();
    const QRegularExpression mnemonic("&([^&])");
    for (int step = 1;; ++step) {
        QCOMPARE(wizard->wizardStep(), step);
        QMap<QChar, QString> taken;
        QStringList captions;
        for (const QAbstractButton* b : wizard->findChildren<QAbstractButton*>())
            if (b->isVisibleTo(wizard) && b->text() != "+" && b->text() != "-")
                captions << b->text();
        for (const QLabel* l : wizard->findChildren<QLabel*>())
            if (l->isVisibleTo(wizard) && l->buddy() != nullptr)
                captions << l->text();
        for (const QString& caption : captions) {
            const QRegularExpressionMatch m = mnemonic.match(caption);
            QVERIFY2(m.hasMatch(), qPrintable(QString("step %1: \"%2\" has no mnemonic").arg(step).arg(caption)));
            const QChar key = m.captured(1).at(0).toLower();
            QVERIFY2(!taken.contains(key), qPrintable(QString("step %1: \"%2\" and \"%3\" share %4")
                                                          .arg(step).arg(caption, taken.value(key)).arg(key)));
            taken.insert(key, caption);
        }
        if (!button(wizard, "ButtonNext")->isEnabled())
            break;
        button(wizard, "ButtonNext")->click();
    }
}

int runUsabilityTest(int argc, char** argv)
{
    UsabilityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "UsabilityTest.moc"
