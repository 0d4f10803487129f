#pragma once
#include "world/thrown_weapon.h"

// The bomb: a heavy ball the hero throws flat the way he faces. Its fuse
// burns 10 s from the throw, or 0.1 s after its first impact; the
// explosion reaches 5 units. Its fuse sparkles all the time, in the hand
// too. Deleted before it has gone off (it left the table, the level ended)
// it bursts like a lost ball while the world is live.
class YBomb : public YThrownWeapon {
public:
    static const YThrownWeaponKind KIND;

    YBomb();
    ~YBomb() override;

    // The throw: the launch timer, the hero's bomb throw, the windup and
    // the fuse lit.
    void launch(int arg) override;
};
