#include "campaign/ObjectiveTexts.hpp"

#include <array>
#include <cstddef>

// Every heading and briefing is a short run of pieces: stretches of fixed
// prose and the two city names. One table per language holds the pieces of
// all fourteen objectives in reading order; a single assembly function joins
// them. Example: the English heading of objective 2 is the pieces
// "First steps (go to ", [B], ")", so with [B] = "Tycho" it reads
// "First steps (go to Tycho)".
//
// The texts end up as values of one INI line each, so they are plain
// printable ASCII without line breaks; the Czech ones are written without
// diacritics, mostly in lower case, as the game's Czech briefings are.

namespace vantor {
namespace {

enum class Slot : unsigned char {
    End,   // no more pieces; unused array entries stay End
    Prose, // fixed text
    CityA, // name of the objective's first city
    CityB, // name of the objective's second city
};

struct Piece {
    Slot slot = Slot::End;
    std::string_view prose;
};

constexpr Piece p(std::string_view prose) noexcept
{
    return {Slot::Prose, prose};
}
constexpr Piece A{Slot::CityA, {}};
constexpr Piece B{Slot::CityB, {}};

// Objective 2's briefing is the longest run: five stretches of prose and three names.
constexpr std::size_t maxHeadingPieces = 3;
constexpr std::size_t maxTextPieces = 8;

struct ObjectivePieces {
    std::array<Piece, maxHeadingPieces> heading;
    std::array<Piece, maxTextPieces> text;
};

constexpr int objectiveCount = 14;
using ObjectiveTable = std::array<ObjectivePieces, objectiveCount>;

// clang-format off
// Objectives 1..14 in English, entry 0 is objective 1.
constexpr ObjectiveTable englishObjectives = {{
    // 1: welcome
    {{p("Welcome to "), A},
     {p("Your goal is to visit at least 90 % of the cities on the Moon. The cities are grouped into districts and every "
        "district has one spaceport. Cities of one district are linked by roads that start at the Trans Lunar terminals; "
        "to get to another district you must fly there from a spaceport. Every journey costs credits, so keep an eye on "
        "your bank balance.")}},
    // 2: tutorial, drive to the neighbour
    {{p("First steps (go to "), B, p(")")},
     {p("Your first task will be to have a look around. Feel free to take a ride in the surrounding city. Use (W,S,A,D) "
        "default keys to drive your car. This spaceport city is safe so you do not have to worry about rebels. When you "
        "are done go to "),
      B,
      p(". To do this first check the moon map by pressing (M) key. You are at "),
      A,
      p(". You will see "),
      B,
      p(" close to your present location. To go to this city you must enter one of the Trans Lunar terminals. These "
        "terminals are located in corners of the city map. Blue arrow above your car will point to next check point "
        "represented by green arrow. "),
      p("When you get to that terminal press (space bar) to enter.")}},
    // 3: tutorial, fight rebels
    {{p("First blood (destroy 10 rebel cars)")},
     {p("Rebels roam the streets of this city. Destroy 10 rebel cars and you will get 500 credits on top of the usual "
        "reward for every car. Attack only cars that fire at you first; every loss among civilians will be fined. Beware "
        "of the turret guns on the wall gates, they fire at anyone who shoots nearby.")}},
    // 4: tutorial, find a garage
    {{p("Heal your wounds (go to "), B, p(" and find garage)")},
     {p("Watch the colour of your car icon: green means perfect condition, red means severe damage and flashing red "
        "means serious trouble. Repairs are done in garages. Go to "),
      B,
      p(" and find the garage there. All garages look alike, so you will know the next one when you see it.")}},
    // 5: tutorial, leave by spaceport
    {{p("Off you go (go to "), B, p(" and enter spaceport)")},
     {p("Now go back to "),
      B,
      p(" and use the spaceport to fly to another district; you will need enough credits for the flight. Drive up onto "
        "the landing pad on the roof of the spaceport. Finish every city and objective of a district before you fly on. "
        "The blue arrow will not guide you any more after this objective.")}},
    // 6: buy the rocket launcher
    {{p("Serious firepower (go to "), B, p(" and buy rocket launcher)")},
     {p("There is a weapon shop in "),
      B,
      p(" that sells rocket launchers. Bring enough credits, they do not come cheap. The rocket launcher fires slowly, "
        "but its guided rockets follow your targeting cursor, so you can steer them right into the enemy.")}},
    // 7: buy the mortar
    {{p("Rain of fire (go to "), B, p(" and buy mortar)")},
     {p("Go to "),
      B,
      p(" and buy the mortar. It throws explosive shells on a high arc over hills and buildings, so you can hit enemies "
        "you cannot even see. Reloading takes a long time, so make every shot count.")}},
    // 8: buy the rapid
    {{p("Fast wheels (go to "), B, p(" and buy rapid)")},
     {p("The car shop in "),
      B,
      p(" sells the rapid, a sports car. It is very fast, but its steering is tricky, so take the bends with care.")}},
    // 9: buy the tractor
    {{p("Heavy cavalry (go to "), B, p(" and buy tractor)")},
     {p("The tractor is a heavy and slow machine that accelerates badly. What it lacks in speed it makes up in armour: "
        "it takes a lot of punishment before it breaks down. You will find it in the local car shop.")}},
    // 10: Fort Armstrong
    {{p("Fort Armstrong (buy patrol in "), A, p(" military base)")},
     {p("Fort Armstrong, a former military base in "),
      A,
      p(", has been overrun by rebels. A smuggler of stolen arms hides inside, so expect heavy resistance on your way "
        "in. Buy the patrol car from him, it is the latest military model.")}},
    // 11: the laboratory
    {{p("Labs (buy lunochod in "), A, p(" scientific complex)")},
     {A,
      p(" is home to a laboratory that has built the lunochod, a multipurpose vehicle made to Russian construction "
        "plans. Find the entrance of the scientific complex and buy the lunochod there.")}},
    // 12: the abandoned parking
    {{p("Parking (bribe police officer in "), A, p(" abandoned parking)")},
     {p("A police officer in "),
      A,
      p(" is in charge of the federal police stock list and he is willing to offer some of its goods. Find him in the "
        "abandoned parking and make him an offer he cannot refuse.")}},
    // 13: the excavation site
    {{p("Excavation site (investigate archeological dig site in "), A, p(")")},
     {p("We have received information that somewhere in the vast lands of "),
      A,
      p(" was discovered an important artifact. Go there and report your findings. You will be rewarded 2000 "
        "credits.")}},
    // 14: the rebel headquarters
    {{p("Rebel headquarters (destroy the robot)")},
     {p("This is your last objective. Once you have completed all the others and visited at least 90 % of the cities, "
        "you will get access to the hidden rebel headquarters in an old mining facility. The rebels hold a giant mining "
        "robot there, armed with lasers and rockets. Destroy it and your assignment is complete.")}},
}};

// Objectives 1..14 in Czech, entry 0 is objective 1.
constexpr ObjectiveTable czechObjectives = {{
    // 1: welcome
    {{p("vitejte v "), A},
     {p("vasim cilem je navstivit alespon 90 % mest na mesici. mesta jsou rozdelena do oblasti a kazda oblast ma jeden "
        "spaceport. mezi mesty jedne oblasti vedou silnice z terminalu trans lunar, do jine oblasti se dostanete jen "
        "letem ze spaceportu. kazda cesta neco stoji, proto sledujte stav sveho bankovniho uctu.")}},
    // 2: tutorial, drive to the neighbour
    {{p("prvni kroky (jedte do "), B, p(")")},
     {p("vas prvni ukol je trochu se kolem porozhlednout. nebojte se trochu se projet po okolnim meste. ridit muzete "
        "pomoci klaves (W,S,A,D). toto mesto je bezpecne, takze se nemusite obavat rebelu. az to tu omrknete jedte do "),
      B,
      p(". stisknutim klavesy (M) zobrazite mapu mesice. nachazite se v "),
      A,
      p(". blizko vasi soucasne pozice je "),
      B,
      p(". jedte do terminalu trans lunar odkud vede silnice do tohoto mesta. terminaly se nachazeji v nekterem z rohu "
        "mapy mesta. modra sipka nad vasim autem ukazuje k vasemu cili oznacenemu zelenou sipkou. "),
      p(" az se dostanete do terminalu stisknete mezernik.")}},
    // 3: tutorial, fight rebels
    {{p("prestrelka (znicte 10 aut rebelu)")},
     {p("v ulicich tohoto mesta radi rebelove. znicte 10 aut rebelu a krome obvykle odmeny za kazde auto dostanete navic "
        "500 kreditu. utocte jen na auta, ktera strili prvni, za kazdou ztratu mezi civilisty zaplatite pokutu. pozor "
        "na dela na branach hradeb, strili po kazdem, kdo v jejich blizkosti pouzije zbran.")}},
    // 4: tutorial, find a garage
    {{p("opravy (jedte do "), B, p(" a najdete garaz)")},
     {p("sledujte barvu ikony sveho auta: zelena znamena perfektni stav, cervena tezke poskozeni a blikajici cervena "
        "vazne nebezpeci. opravy se provadeji v garazich. jedte do "),
      B,
      p(" a najdete tamni garaz. vsechny garaze vypadaji stejne, takze tu dalsi snadno poznate.")}},
    // 5: tutorial, leave by spaceport
    {{p("zpet ke hvezdam (jedte do "), B, p(" a pouzijte spaceport)")},
     {p("nyni se vratte do "),
      B,
      p(" a pouzijte spaceport k letu do jine oblasti, na let budete potrebovat dostatek kreditu. vyjedte na pristavaci "
        "plochu na strese spaceportu. nez odletite, dokoncete vsechna mesta a ukoly oblasti. po splneni tohoto ukolu "
        "vas modra sipka uz nebude navadet.")}},
    // 6: buy the rocket launcher
    {{p("palebna sila (jedte do "), B, p(" a kupte raketomet)")},
     {p("obchod se zbranemi najdete v "),
      B,
      p(". prodavaji tam raketomety. vezmete si dost kreditu, nejsou zadarmo. raketomet strili pomalu, ale jeho rizene "
        "rakety sleduji zamerovaci kriz, takze je muzete navest primo na nepritele.")}},
    // 7: buy the mortar
    {{p("ohen z nebes (jedte do "), B, p(" a kupte minomet)")},
     {p("jedte do "),
      B,
      p(" a kupte minomet. strili vybusne granaty po vysoke draze pres kopce i budovy, takze zasahnete i nepritele, "
        "ktereho ani nevidite. nabijeni ale trva dlouho, proto kazdy vystrel dobre zamerte.")}},
    // 8: buy the rapid
    {{p("rychla kola (jedte do "), B, p(" a kupte rapid)")},
     {p("obchod s auty v "),
      B,
      p(" prodava sportovni vuz rapid. je velmi rychly, ale ma zradne rizeni, proto v zatackach opatrne.")}},
    // 9: buy the tractor
    {{p("tezka kavalerie (jedte do "), B, p(" a kupte tractor)")},
     {p("tractor je tezky a pomaly stroj, ktery spatne zrychluje. co mu chybi na rychlosti, to vynahradi pancirem: "
        "jen tak neco ho nezastavi. najdete ho v mistnim obchode s auty.")}},
    // 10: Fort Armstrong
    {{p("Fort Armstrong (kupte patrol ve vojenske zakladne na "), A, p(")")},
     {p("Fort Armstrong, byvalou vojenskou zakladnu na "),
      A,
      p(", obsadili rebelove. uvnitr se skryva paserak kradenych zbrani, takze pocitejte s tuhym odporem. kupte od nej "
        "patrol, nejnovejsi vojensky model.")}},
    // 11: the laboratory
    {{p("laborator (kupte lunochod ve vedeckem komplexu na "), A, p(")")},
     {p("v laboratori na "),
      A,
      p(" postavili lunochod, univerzalni vozidlo podle ruskych konstrukcnich planu. najdete vchod do vedeckeho "
        "komplexu a lunochod si kupte.")}},
    // 12: the abandoned parking
    {{p("Parking (podpladte policejniho dustojnika v "), A, p(")")},
     {p("policejni dustojnik v "),
      A,
      p(" ma na starosti seznam vybaveni federalni policie a je ochoten ledacos z neho nabidnout. najdete ho na "
        "opustenem parkovisti a udelejte mu nabidku, kterou nemuze odmitnout.")}},
    // 13: the excavation site
    {{p("vykopavky (prosetrete archeologicke vykopavky v "), A, p(")")},
     {p("dostali jsme informaci, ze kdesi v pousti na "),
      A,
      p(" byl nalezen zajimavy artefakt. jedte tam a podejte hlaseni. odmena je 2000 kreditu.")}},
    // 14: the rebel headquarters
    {{p("velitelstvi rebelu (znicte robota)")},
     {p("toto je vas posledni ukol. az splnite vsechny ostatni ukoly a navstivite alespon 90 % mest, ziskate pristup do "
        "skryteho velitelstvi rebelu ve stare tezebni stanici. rebelove tam drzi obriho tezebniho robota vyzbrojeneho "
        "lasery a raketami. znicte ho a vase mise bude splnena.")}},
}};
// clang-format on

// Joins the pieces up to the first End, putting the city names in their slots.
template <std::size_t N>
std::string assemble(const std::array<Piece, N>& pieces, std::string_view cityA, std::string_view cityB)
{
    std::string out;
    for (const Piece& piece : pieces) {
        switch (piece.slot) {
        case Slot::End:
            return out;
        case Slot::Prose:
            out += piece.prose;
            break;
        case Slot::CityA:
            out += cityA;
            break;
        case Slot::CityB:
            out += cityB;
            break;
        }
    }
    return out;
}

} // namespace

ObjectiveWording objectiveWording(int index, Language language, std::string_view cityA, std::string_view cityB)
{
    if (index < 1 || index > objectiveCount)
        return {};
    const ObjectiveTable& table = language == Language::Czech ? czechObjectives : englishObjectives;
    const ObjectivePieces& pieces = table[static_cast<std::size_t>(index - 1)];
    return {assemble(pieces.heading, cityA, cityB), assemble(pieces.text, cityA, cityB)};
}

} // namespace vantor
