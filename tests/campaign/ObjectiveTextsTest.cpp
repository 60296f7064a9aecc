#include "campaign/ObjectiveTexts.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace vantor {
namespace {

constexpr std::string_view cityA = "AAA";
constexpr std::string_view cityB = "BBB";

// The order in which the marker names occur in a text, e.g. "BAB".
std::string nameOrder(std::string_view text)
{
    std::string order;
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        const std::string_view three = text.substr(i, 3);
        if (three == cityA)
            order += 'A';
        else if (three == cityB)
            order += 'B';
    }
    return order;
}

TEST(ObjectiveTexts, Headings)
{
    struct Case {
        int index;
        Language language;
        const char* heading;
    };
    const Case cases[] = {
        {1, Language::English, "Welcome to AAA"},
        {1, Language::Czech, "vitejte v AAA"},
        {2, Language::English, "First steps (go to BBB)"},
        {2, Language::Czech, "prvni kroky (jedte do BBB)"},
        {3, Language::English, "First blood (destroy 10 rebel cars)"},
        {3, Language::Czech, "prestrelka (znicte 10 aut rebelu)"},
        {4, Language::English, "Heal your wounds (go to BBB and find garage)"},
        {4, Language::Czech, "opravy (jedte do BBB a najdete garaz)"},
        {5, Language::Czech, "zpet ke hvezdam (jedte do BBB a pouzijte spaceport)"},
        {6, Language::English, "Serious firepower (go to BBB and buy rocket launcher)"},
        {9, Language::Czech, "tezka kavalerie (jedte do BBB a kupte tractor)"},
        {10, Language::English, "Fort Armstrong (buy patrol in AAA military base)"},
        {10, Language::Czech, "Fort Armstrong (kupte patrol ve vojenske zakladne na AAA)"},
        {11, Language::English, "Labs (buy lunochod in AAA scientific complex)"},
        {11, Language::Czech, "laborator (kupte lunochod ve vedeckem komplexu na AAA)"},
        {12, Language::English, "Parking (bribe police officer in AAA abandoned parking)"},
        {12, Language::Czech, "Parking (podpladte policejniho dustojnika v AAA)"},
        {13, Language::English, "Excavation site (investigate archeological dig site in AAA)"},
        {13, Language::Czech, "vykopavky (prosetrete archeologicke vykopavky v AAA)"},
        {14, Language::English, "Rebel headquarters (destroy the robot)"},
        {14, Language::Czech, "velitelstvi rebelu (znicte robota)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(objectiveWording(c.index, c.language, cityA, cityB).heading, c.heading) << "objective " << c.index;
}

TEST(ObjectiveTexts, QuotedBriefings)
{
    const std::string english2 =
        "Your first task will be to have a look around. Feel free to take a ride in the surrounding city. Use (W,S,A,D) "
        "default keys to drive your car. This spaceport city is safe so you do not have to worry about rebels. When you "
        "are done go to Aitken. To do this first check the moon map by pressing (M) key. You are at Copernicus. You "
        "will see Aitken close to your present location. To go to this city you must enter one of the Trans Lunar "
        "terminals. These terminals are located in corners of the city map. Blue arrow above your car will point to "
        "next check point represented by green arrow. When you get to that terminal press (space bar) to enter.";
    const std::string czech2 =
        "vas prvni ukol je trochu se kolem porozhlednout. nebojte se trochu se projet po okolnim meste. ridit muzete "
        "pomoci klaves (W,S,A,D). toto mesto je bezpecne, takze se nemusite obavat rebelu. az to tu omrknete jedte do "
        "Aitken. stisknutim klavesy (M) zobrazite mapu mesice. nachazite se v Copernicus. blizko vasi soucasne pozice "
        "je Aitken. jedte do terminalu trans lunar odkud vede silnice do tohoto mesta. terminaly se nachazeji v "
        "nekterem z rohu mapy mesta. modra sipka nad vasim autem ukazuje k vasemu cili oznacenemu zelenou sipkou.  az "
        "se dostanete do terminalu stisknete mezernik.";
    const std::string english13 =
        "We have received information that somewhere in the vast lands of Copernicus was discovered an important "
        "artifact. Go there and report your findings. You will be rewarded 2000 credits.";
    const std::string czech13 = "dostali jsme informaci, ze kdesi v pousti na Copernicus byl nalezen zajimavy artefakt. "
                                "jedte tam a podejte hlaseni. odmena je 2000 kreditu.";

    EXPECT_EQ(objectiveWording(2, Language::English, "Copernicus", "Aitken").text, english2);
    EXPECT_EQ(objectiveWording(2, Language::Czech, "Copernicus", "Aitken").text, czech2);
    EXPECT_EQ(objectiveWording(13, Language::English, "Copernicus", "").text, english13);
    EXPECT_EQ(objectiveWording(13, Language::Czech, "Copernicus", "").text, czech13);
}

TEST(ObjectiveTexts, NamesStandWhereTheObjectiveNeedsThem)
{
    struct Case {
        int index;
        const char* headingNames;
        const char* textNames;
    };
    const Case cases[] = {
        {1, "A", ""},   {2, "B", "BAB"}, {3, "", ""},   {4, "B", "B"},  {5, "B", "B"},  {6, "B", "B"},  {7, "B", "B"},
        {8, "B", "B"},  {9, "B", ""},    {10, "A", "A"}, {11, "A", "A"}, {12, "A", "A"}, {13, "A", "A"}, {14, "", ""},
    };
    for (const Case& c : cases) {
        for (const Language language : {Language::English, Language::Czech}) {
            const ObjectiveWording wording = objectiveWording(c.index, language, cityA, cityB);
            EXPECT_EQ(nameOrder(wording.heading), c.headingNames) << "objective " << c.index;
            EXPECT_EQ(nameOrder(wording.text), c.textNames) << "objective " << c.index;
        }
    }

    // The English laboratory briefing opens with the city's name; the Czech one does not.
    EXPECT_EQ(objectiveWording(11, Language::English, cityA, cityB).text.rfind("AAA ", 0), 0u);
    EXPECT_NE(objectiveWording(11, Language::Czech, cityA, cityB).text.rfind("AAA", 0), 0u);
    // The Czech gun-shop briefing closes its sentence right after the city's name.
    EXPECT_NE(objectiveWording(6, Language::Czech, cityA, cityB).text.find(" v BBB. "), std::string::npos);
}

TEST(ObjectiveTexts, EveryTextIsOneLineOfPrintableAscii)
{
    for (int index = 1; index <= 14; ++index) {
        for (const Language language : {Language::English, Language::Czech}) {
            const ObjectiveWording wording = objectiveWording(index, language, cityA, cityB);
            for (const std::string* text : {&wording.heading, &wording.text}) {
                EXPECT_FALSE(text->empty()) << "objective " << index;
                for (const char ch : *text)
                    EXPECT_TRUE(ch >= 0x20 && ch <= 0x7e) << "objective " << index << " has byte " << int(ch);
                EXPECT_NE(text->front(), ' ') << "objective " << index;
            }
        }
    }
}

TEST(ObjectiveTexts, IndexesOutsideTheChainGiveEmptyTexts)
{
    for (const int index : {-1, 0, 15, 255}) {
        for (const Language language : {Language::English, Language::Czech}) {
            const ObjectiveWording wording = objectiveWording(index, language, cityA, cityB);
            EXPECT_TRUE(wording.heading.empty()) << index;
            EXPECT_TRUE(wording.text.empty()) << index;
        }
    }
}

} // namespace
} // namespace vantor
