#include "campaign/ObjectiveBuilder.hpp"

#include "campaign/ObjectiveTexts.hpp"

#include <array>

namespace vantor {

namespace {

constexpr int kKeep = -2; // a city field the objective leaves alone

struct ObjectiveRecord {
    bool found;
    bool completed;
    bool destinationIsB; // else "none"
    int reward;
    int carsToKill;
    int gunToBuy;
    int carToBuy;
    bool needLandmark;
};

// The city an objective changes: a or b, and its new values.
enum class Changed { None, A, B };
enum class Claims { None, A, AAndB };

struct CityChange {
    Changed city;
    const char* landmark; // nullptr keeps it
    int rebels;
    int forcedSize;
    int forcedRoadDensity;
    int fakeGunIndex;
    int fakeCarIndex;
    Claims claims;
};

// Index 1..14 at [index - 1].
constexpr std::array<ObjectiveRecord, 14> kRecords{{
    {true, true, false, 0, -1, -1, -1, false},
    {false, false, true, 200, -1, -1, -1, false},
    {false, false, false, 1000, 10, -1, -1, false},
    {false, false, true, 100, -1, -1, -1, true},
    {false, false, true, 200, -1, -1, -1, true},
    {false, false, true, 600, -1, 1, -1, true},
    {false, false, true, 700, -1, 2, -1, true},
    {false, false, true, 1000, -1, -1, 1, true},
    {false, false, true, 1500, -1, -1, 2, true},
    {false, false, false, 3000, -1, -1, 4, true},
    {false, false, false, 2500, -1, -1, 3, true},
    {false, false, false, 0, -1, -1, 5, true},
    {false, false, false, 2000, -1, -1, -1, true},
    {true, false, false, 0, -1, -1, -1, false},
}};

constexpr std::array<CityChange, 14> kCityChanges{{
    {Changed::None, nullptr, kKeep, kKeep, kKeep, kKeep, kKeep, Claims::None},
    {Changed::A, nullptr, 0, kKeep, kKeep, kKeep, kKeep, Claims::A},
    {Changed::A, nullptr, 80, 3, 90, kKeep, kKeep, Claims::A},
    {Changed::B, "Garage", 60, 3, 70, kKeep, kKeep, Claims::AAndB},
    {Changed::None, nullptr, kKeep, kKeep, kKeep, kKeep, kKeep, Claims::AAndB},
    {Changed::B, "Gunshop", 65, 2, 80, 1, kKeep, Claims::AAndB},
    {Changed::B, "Gunshop", 70, 3, 50, 2, kKeep, Claims::AAndB},
    {Changed::B, "Carshop", 100, 3, 10, kKeep, 1, Claims::AAndB},
    {Changed::B, "Carshop", 50, 2, 80, kKeep, 2, Claims::AAndB},
    {Changed::A, "Fort", 90, 3, 50, kKeep, 4, Claims::A},
    {Changed::A, "Lab", 90, 2, 50, kKeep, 3, Claims::A},
    {Changed::A, "Parking", 90, 0, 50, kKeep, 5, Claims::A},
    {Changed::A, "Excavation", 90, 0, 50, kKeep, -1, Claims::A},
    {Changed::A, "RebelHQ", 100, 3, 50, kKeep, -1, Claims::A},
}};

void setIfChanged(int& field, int value)
{
    if (value != kKeep)
        field = value;
}

} // namespace

void ObjectiveBuilder::build(Campaign& campaign, int a, int b, int index)
{
    if (index < 1 || index > Campaign::kNumTasks)
        return;
    if (campaign.objectives.size() <= static_cast<std::size_t>(index))
        campaign.objectives.resize(static_cast<std::size_t>(index) + 1);
    const auto cityAt = [&campaign](int k) -> CampaignCity& { return campaign.cities.at(static_cast<std::size_t>(k)); };
    CampaignCity& cityA = cityAt(a);
    const std::string nameB = b > 0 ? cityAt(b).name : std::string();

    const ObjectiveRecord& r = kRecords[static_cast<std::size_t>(index - 1)];
    const ObjectiveWording wording = objectiveWording(index, campaign.language, cityA.name, nameB);
    TObjective& o = campaign.objectives[static_cast<std::size_t>(index)];
    o.found = r.found;
    o.completed = r.completed;
    o.heading = wording.heading;
    o.text = wording.text;
    o.startCity = cityA.name;
    o.destination = r.destinationIsB ? nameB : "none";
    o.reward = r.reward;
    o.carsToKill = r.carsToKill;
    o.carsTypeToKill = -1;
    o.gunToBuy = r.gunToBuy;
    o.carToBuy = r.carToBuy;
    o.needLandmark = r.needLandmark;

    const CityChange& c = kCityChanges[static_cast<std::size_t>(index - 1)];
    if (c.city != Changed::None) {
        CampaignCity& city = c.city == Changed::A ? cityA : cityAt(b);
        if (c.landmark != nullptr)
            city.landmark = c.landmark;
        setIfChanged(city.rebels, c.rebels);
        setIfChanged(city.forcedSize, c.forcedSize);
        setIfChanged(city.forcedRoadDensity, c.forcedRoadDensity);
        setIfChanged(city.fakeGunIndex, c.fakeGunIndex);
        setIfChanged(city.fakeCarIndex, c.fakeCarIndex);
    }
    if (c.claims != Claims::None)
        cityA.free = false;
    if (c.claims == Claims::AAndB)
        cityAt(b).free = false;
}

} // namespace vantor
