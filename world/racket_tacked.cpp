#include "world/racket_tacked.h"

#include "world/racket.h"

#include <algorithm>

namespace {

// Removes the entry by moving the last one into its place.
template <class T>
void unlist(std::vector<T*>& list, T* entry)
{
    auto it = std::find(list.begin(), list.end(), entry);
    if (it == list.end())
        return;
    *it = list.back();
    list.pop_back();
}

} // namespace

std::vector<YRacketTacked*>& gRacketTacked()
{
    static std::vector<YRacketTacked*> list;
    return list;
}

YRacketTacked::YRacketTacked() { gRacketTacked().push_back(this); }

YRacketTacked::~YRacketTacked()
{
    unlist(gRacketTacked(), this);
    if (gRacket && gRacket->held == this)
        gRacket->held = nullptr;
}

void YRacketTacked::launch(int /*arg*/) { launchTimer = LAUNCH_TIME; }

void YRacketTacked::update(float dt)
{
    if (launchTimer > 0.0f)
        launchTimer -= dt;
}

std::vector<YFallingBonus*>& gLiveBonuses()
{
    static std::vector<YFallingBonus*> list;
    return list;
}

YFallingBonus::YFallingBonus() { gLiveBonuses().push_back(this); }

YFallingBonus::~YFallingBonus() { unlist(gLiveBonuses(), this); }

void destroyRacketObjects()
{
    // Each destructor takes its own entry off its list; going round until
    // both are empty also removes anything a destructor made.
    auto& objects = gRacketTacked();
    auto& bonuses = gLiveBonuses();
    while (!objects.empty() || !bonuses.empty()) {
        while (!objects.empty())
            delete objects.back();
        while (!bonuses.empty())
            delete bonuses.back();
    }
}
