#include <gtest/gtest.h>

#include "display/flicker.h"
#include "tests/bitmap_support.h"

namespace velmora::display {
namespace {

using namespace platform;

// Flicker palettes from ALL; `failing` CreatePalette calls fail after the first `after`.
struct Screen : test::Rig {
    FlickerPalettes flicker;
    stereo::RandomGenerator random;

    explicit Screen(std::uint32_t failing = 0, std::uint32_t after = 0) {
        faults.Arm(Operation::kCreatePalette, failing, after);
        CreateFlickerPalettes(flicker, kernel, dd, primary, random, 1234);
    }
    int Shown() const { return FlickerSlotOf(flicker, device.ScreenPalette()); }
    PaletteTable Slot(int k) const { return InMemory(flicker.slots[k])->Entries(); }
};

TEST(FlickerPalettes, ShuffledSlotsMissingOnesSkippedAndTheCursorWalk) {
    Screen s;
    // The shuffles, redone here from the seed: slot k is the (32 - k)th.
    stereo::RandomGenerator random;
    random.Seed(1234);
    PaletteTable expected = PaletteFromResourceBytes(resources::AllBitmap());
    EXPECT_EQ(s.Slot(0), expected);
    for (int k = 31; k >= 1; --k) {
        for (int n = 255; n >= 1; --n) {
            std::swap(expected[n], expected[random.Next() * n / 32767]);
        }
        EXPECT_EQ(s.Slot(k), expected) << "slot " << k;
    }
    EXPECT_EQ(s.random.State(), random.State()) << "the generator continues after the shuffles";

    // Slot 0, or slot 20, cannot be made: the others and the sequence stay.
    Screen noBase(1);
    Screen noTwenty(1, 12);
    EXPECT_TRUE(noBase.flicker.slots[0] == nullptr && noTwenty.flicker.slots[20] == nullptr);
    for (int k = 1; k < 32; ++k) {
        EXPECT_EQ(noBase.Slot(k), s.Slot(k)) << k;
        EXPECT_TRUE(k == 20 || noTwenty.Slot(k) == s.Slot(k)) << k;
    }
    EXPECT_EQ(noTwenty.random.State(), s.random.State());
    // Flicker steps over the empty slot: the palette shown stays.
    noTwenty.flicker.cursor = 19;
    for (int slot : {19, 19, 21}) {
        AdvanceFlicker(noTwenty.flicker, noTwenty.primary, 1);
        EXPECT_EQ(noTwenty.Shown(), slot);
    }

    for (int i = 0; i < 33; ++i) {
        EXPECT_EQ(std::pair(s.flicker.cursor, s.Shown()), std::pair(i % 32, 1)) << "slot 1 stays";
        AdvanceFlicker(s.flicker, s.primary, 0);
    }
    // Switched on, each step shows the slot under the cursor; one out of range restarts at 0.
    for (int i = 1; i < 40; ++i) {
        AdvanceFlicker(s.flicker, s.primary, 1);
        EXPECT_EQ(s.Shown(), i % 32);
    }
    for (int cursor : {-1, 32}) {
        s.flicker.cursor = cursor;
        AdvanceFlicker(s.flicker, s.primary, 1);
        EXPECT_EQ(std::pair(s.Shown(), s.flicker.cursor), std::pair(0, 1)) << cursor;
    }
    // A restored screen gets the palette last shown back, slot 0 included.
    s.device.LoseSurfaces();
    ASSERT_EQ(s.primary->Restore(), DD_OK);
    ReattachPalette(s.flicker, s.primary);
    EXPECT_EQ(s.Shown(), 0);
    EXPECT_TRUE(FlickerSlotOf(s.flicker, noBase.flicker.slots[1]) == -1 &&
                FlickerSlotOf(s.flicker, nullptr) == -1);
}

}  // namespace
}  // namespace velmora::display
