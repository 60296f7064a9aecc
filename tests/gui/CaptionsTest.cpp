// Every caption of every window, in both languages and at every step,
// measured with the windows' own face against its control: a check box or
// radio button needs its indicator, the label spacing and the text; a push
// button the text and the style's margins; a label its text (wrapped where
// it wraps); a group box its title inside its frame; a drop-down list each
// item inside its field. No control may leave its window or cover another.

#include "GuiTestSupport.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOption>
#include <QTest>

using namespace vantor;
using namespace vantor::test;

namespace {

QString name(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
}

// A caption as it is drawn: a mnemonic's '&' is not ("&&" is one '&').
QString drawn(QString caption)
{
    caption.replace("&&", QString(QChar(0x1)));
    caption.remove('&');
    return caption.replace(QChar(0x1), '&');
}

// What does not fit in one control, or an empty string.
QString misfit(const QWidget* w)
{
    const QFontMetrics fm(w->font());
    QStyle* style = w->style();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w); button != nullptr && !button->text().isEmpty()) {
        const int text = fm.horizontalAdvance(drawn(button->text()));
        int need = 0;
        if (qobject_cast<const QRadioButton*>(w) != nullptr)
            need = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
                   style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w) + text;
        else if (qobject_cast<const QCheckBox*>(w) != nullptr)
            need = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                   style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w) + text;
        else
            need = text + 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w);
        if (need > w->width())
            return QString("needs %1 pixels, has %2").arg(need).arg(w->width());
    }
    if (const auto* label = qobject_cast<const QLabel*>(w); label != nullptr && !label->text().isEmpty()) {
        const QRect room = label->contentsRect();
        const QRect text =
            label->wordWrap()
                ? fm.boundingRect(QRect(0, 0, room.width(), 100000), Qt::AlignLeft | Qt::TextWordWrap, drawn(label->text()))
                : fm.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft, drawn(label->text()));
        if (text.width() > room.width() || text.height() > room.height())
            return QString("needs %1 x %2 pixels, has %3 x %4")
                .arg(text.width())
                .arg(text.height())
                .arg(room.width())
                .arg(room.height());
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(w); box != nullptr && !box->title().isEmpty()) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        if (title.width() < fm.horizontalAdvance(box->title()) || !box->rect().contains(title))
            return QString("title at %1..%2 of a box %3 wide").arg(title.left()).arg(title.right()).arg(box->width());
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.currentText = combo->itemText(i);
            const QRect field = style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
            const int need = fm.horizontalAdvance(combo->itemText(i));
            if (need > field.width())
                return QString("item \"%1\" needs %2 pixels, has %3").arg(combo->itemText(i)).arg(need).arg(field.width());
        }
    }
    return {};
}

// Plain frames (rules, panels) hold or separate controls: they have no
// caption to measure, but they must not cover a control either.
bool isFrame(const QWidget* w)
{
    return QString(w->metaObject()->className()) == "QFrame";
}

// A picture (a label without text, or the area that scrolls it) may lie
// under a control, as the ground viewer's Close button lies over its picture.
bool isPicture(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text().isEmpty();
    return w->inherits("QAbstractScrollArea");
}

// Every control of the window as it would show now, measured; problems are
// appended with the place they were seen.
void measure(QWidget* window, const QString& where, QStringList& problems)
{
    std::vector<QWidget*> shown;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->isWindow() || w->window() != window)
            continue;
        shown.push_back(w);
        if (isFrame(w))
            continue;
        const QString caption = qobject_cast<QAbstractButton*>(w)   ? qobject_cast<QAbstractButton*>(w)->text()
                                : qobject_cast<QLabel*>(w)          ? qobject_cast<QLabel*>(w)->text()
                                : qobject_cast<QGroupBox*>(w)       ? qobject_cast<QGroupBox*>(w)->title()
                                                                    : QString();
        if (const QString m = misfit(w); !m.isEmpty())
            problems << QString("%1: %2 \"%3\" %4").arg(where, name(w), caption, m);
        if (!isPicture(w) && !w->parentWidget()->rect().contains(w->geometry()))
            problems << QString("%1: %2 leaves its parent").arg(where, name(w));
    }
    for (std::size_t a = 0; a < shown.size(); ++a)
        for (std::size_t b = a + 1; b < shown.size(); ++b)
            if (shown[a]->parentWidget() == shown[b]->parentWidget() && !isPicture(shown[a]) &&
                !isPicture(shown[b]) &&
                shown[a]->geometry().intersects(shown[b]->geometry()))
                problems << QString("%1: %2 covers %3").arg(where, name(shown[a]), name(shown[b]));
}

QPushButton* next(QWidget* window)
{
    return child<QPushButton>(window, "ButtonNext");
}

} // namespace

class CaptionsTest : public QObject {
    Q_OBJECT
private slots:
    void everyWindowEveryStep_data();
    void everyWindowEveryStep();
    void measureCatchesClipping();
};

void CaptionsTest::everyWindowEveryStep_data()
{
    QTest::addColumn<QString>("config");
    QTest::newRow("English") << "";
    QTest::newRow("Czech") << "[General]\r\nLanguage=Cze\r\nCC=1\r\n";
}

void CaptionsTest::everyWindowEveryStep()
{
    QFETCH(QString, config);
    TestProgram p(config.toStdString());
    QVERIFY(p.boxes.shown.empty());
    QStringList problems;

    measure(p.menu, "main menu", problems);

    p.editor->show();
    for (int step = 1; step <= 9; ++step) {
        if (step > 1)
            next(p.editor)->click();
        QCOMPARE(p.editor->wizardStep(), step);
        measure(p.editor, QString("city wizard step %1").arg(step), problems);
        if (step >= 5 && step <= 7)
            for (QSlider* slider : p.editor->findChildren<QSlider*>())
                if (slider->isVisibleTo(p.editor)) // the labels' longest numbers
                    slider->setValue(100);
        if (step >= 5 && step <= 7)
            measure(p.editor, QString("city wizard step %1 at 100").arg(step), problems);
        if (step >= 8)
            measure(p.progress, QString("progress dialog after step %1").arg(step), problems);
    }
    p.ground->preparePicture(p.editor->model().city().groundPicture);
    measure(p.ground, "ground viewer", problems);
    p.editor->close();

    p.campaign->show();
    for (int step = 1; step <= 4; ++step) {
        if (step > 1)
            next(p.campaign)->click();
        QCOMPARE(p.campaign->wizardStep(), step);
        measure(p.campaign, QString("campaign wizard step %1").arg(step), problems);
        if (step == 2)
            for (int density : {25, 51, 100}) { // each recommendation
                child<QSlider>(p.campaign, "TrackBarMaxHouseDensity")->setValue(density);
                measure(p.campaign, QString("campaign wizard step 2 at %1").arg(density), problems);
            }
    }
    measure(p.progress, "progress dialog after the campaign", problems);
    p.campaign->close();

    QVERIFY2(problems.isEmpty(), qPrintable("\n" + problems.join("\n")));
}

// The measure itself: a caption one character too long for its box, a label
// beyond its window and two controls on one place are all reported.
void CaptionsTest::measureCatchesClipping()
{
    QWidget window;
    window.resize(300, 100);
    auto* box = new QCheckBox("Create downtown buildings", &window);
    box->setGeometry(10, 10, box->sizeHint().width(), 17);
    QStringList problems;
    measure(&window, "fitting", problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));

    box->setText("Create downtown buildingss");
    measure(&window, "one character more", problems);
    QCOMPARE(problems.size(), 1);

    box->setText("Create downtown buildings");
    auto* label = new QLabel("Hustota silnic: 100", &window);
    label->move(280, 40);
    label->adjustSize();
    auto* button = new QPushButton("Konec", &window);
    button->setGeometry(15, 12, 60, 25);
    problems.clear();
    measure(&window, "placed badly", problems);
    QCOMPARE(problems.size(), 2);
    QVERIFY(problems[0].contains("leaves") || problems[1].contains("leaves"));
    QVERIFY(problems[0].contains("covers") || problems[1].contains("covers"));
}

int runCaptionsTest(int argc, char** argv)
{
    CaptionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CaptionsTest.moc"
