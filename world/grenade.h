#pragma once
#include "world/thrown_weapon.h"

// The grenade: a light ball lobbed at the racket's throw angle, a handful
// to a bonus. Each throw leaves the next grenade in the hand while throws
// remain; a forced release (launch(0)) ends the series. Its fuse burns 3 s
// from the throw, or 0.05 s after its first impact; the explosion reaches
// 2.75 units. Its fuse sparkles only while it flies lit.
class YGrenade : public YThrownWeapon {
public:
    static const YThrownWeaponKind KIND;
    static constexpr int BONUS_THROWS = 5;

    explicit YGrenade(int throws);

    // Throws when held and idle (a second launch during the windup or in
    // flight does nothing): one throw spent, all of them with arg 0.
    void launch(int arg) override;

    int throwsLeft() const { return mThrows; }
    // The throws left: what the HUD counts.
    int grenadeCount() const override { return mThrows; }

protected:
    // While more are to come the hand keeps it.
    void followHand() override;
    // The next grenade into the hand.
    void leftHand() override;

private:
    int mThrows;
};
