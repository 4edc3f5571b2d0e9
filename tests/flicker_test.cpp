#include <gtest/gtest.h>

#include "platform/ddraw/memory.h"

#include <algorithm>
#include <set>

#include "display/flicker.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"

namespace velmora::display {
namespace {

using namespace platform;

struct Screen {
    FaultInjector faults;
    DisplayDevice device{faults};
    MemoryKernel kernel{faults, {{"ALL", RT_BITMAP, resources::AllBitmap()}}};
    IDirectDraw* dd = nullptr;
    IDirectDrawSurface* primary = nullptr;
    FlickerPalettes flicker;
    stereo::RandomGenerator random;

    Screen() {
        device.DirectDrawCreate(nullptr, &dd, nullptr);
        dd->SetCooperativeLevel(1, 0x11);
        dd->SetDisplayMode(640, 480, 8);
        DDSURFACEDESC d;
        d.dwSize = sizeof(d);
        d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        d.dwBackBufferCount = 1;
        dd->CreateSurface(&d, &primary, nullptr);
    }
};

std::vector<std::uint32_t> Sorted(const PaletteTable& table) {
    std::vector<std::uint32_t> v;
    for (const auto& e : table) {
        v.push_back(static_cast<std::uint32_t>(e.peRed) << 16 | e.peGreen << 8 | e.peBlue);
    }
    std::sort(v.begin(), v.end());
    return v;
}

TEST(FlickerPalettes, EverySlotIsAFurtherShuffleOfTheBase) {
    Screen s;
    CreateFlickerPalettes(s.flicker, s.kernel, s.dd, s.primary, s.random, 1234);
    const PaletteTable base = PaletteFromResourceBytes(resources::AllBitmap());
    ASSERT_NE(s.flicker.slots[0], nullptr);
    EXPECT_EQ(InMemory(s.flicker.slots[0])->Entries(), base);
    EXPECT_EQ(s.device.ScreenPalette(), s.flicker.slots[1]) << "slot 1 ends on screen";

    // The shuffles, redone here from the seed: slot k is the (32 - k)th.
    stereo::RandomGenerator random;
    random.Seed(1234);
    PaletteTable expected = base;
    std::set<std::vector<std::uint32_t>> orders;
    for (int k = 31; k >= 1; --k) {
        for (int n = 255; n >= 1; --n) {
            const int j = random.Next() * n / 32767;
            std::swap(expected[static_cast<std::size_t>(n)], expected[static_cast<std::size_t>(j)]);
        }
        const IDirectDrawPalette* slot = s.flicker.slots[static_cast<std::size_t>(k)];
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(InMemory(slot)->Entries(), expected) << "slot " << k;
        EXPECT_EQ(Sorted(InMemory(slot)->Entries()), Sorted(base))
            << "slot " << k << " is a permutation";
        EXPECT_NE(InMemory(slot)->Entries(), base);
        std::vector<std::uint32_t> order;
        for (const auto& e : InMemory(slot)->Entries()) {
            order.push_back(static_cast<std::uint32_t>(e.peRed) << 16 | e.peGreen << 8 | e.peBlue);
        }
        orders.insert(order);
    }
    EXPECT_EQ(orders.size(), 31U) << "every slot in a different order";
    EXPECT_EQ(s.random.State(), random.State()) << "the generator continues after the shuffles";
    EXPECT_EQ(s.device.LivePalettes(), 32U);
}

TEST(FlickerPalettes, AdvanceWalksTheCursorAndAttachesOnlyInFlickerMode) {
    Screen s;
    CreateFlickerPalettes(s.flicker, s.kernel, s.dd, s.primary, s.random, 0);
    std::vector<int> cursors;
    for (int i = 0; i < 33; ++i) {
        cursors.push_back(s.flicker.cursor);
        AdvanceFlicker(s.flicker, s.primary, 0);
        EXPECT_EQ(s.device.ScreenPalette(), s.flicker.slots[1]);
    }
    std::vector<int> expected(33);
    for (int i = 0; i < 33; ++i) {
        expected[static_cast<std::size_t>(i)] = i % 32;
    }
    EXPECT_EQ(cursors, expected);

    // Switched on, the first step shows the slot under the cursor, whatever it is.
    ASSERT_EQ(s.flicker.cursor, 1);
    for (int i = 0; i < 5; ++i) {
        AdvanceFlicker(s.flicker, s.primary, 0);
    }
    AdvanceFlicker(s.flicker, s.primary, 1);
    EXPECT_EQ(FlickerSlotOf(s.flicker, s.device.ScreenPalette()), 6);
    for (int i = 7; i < 40; ++i) {
        AdvanceFlicker(s.flicker, s.primary, 1);
        EXPECT_EQ(FlickerSlotOf(s.flicker, s.device.ScreenPalette()), i % 32);
    }
}

TEST(FlickerPalettes, MissingPalettesAreSkippedAndTheSequenceKept) {
    Screen full;
    CreateFlickerPalettes(full.flicker, full.kernel, full.dd, full.primary, full.random, 77);

    // Slot 0 and slot 20 cannot be made (calls 1 and 12 of CreatePalette).
    Screen s;
    s.faults.Arm(Operation::kCreatePalette, 1);
    CreateFlickerPalettes(s.flicker, s.kernel, s.dd, s.primary, s.random, 77);
    EXPECT_EQ(s.flicker.slots[0], nullptr);
    for (int k = 1; k < 32; ++k) {
        ASSERT_NE(s.flicker.slots[static_cast<std::size_t>(k)], nullptr);
        EXPECT_EQ(InMemory(s.flicker.slots[static_cast<std::size_t>(k)])->Entries(),
                  InMemory(full.flicker.slots[static_cast<std::size_t>(k)])->Entries());
    }
    Screen t;
    t.faults.Arm(Operation::kCreatePalette, 1, 12);
    CreateFlickerPalettes(t.flicker, t.kernel, t.dd, t.primary, t.random, 77);
    EXPECT_EQ(t.flicker.slots[20], nullptr);
    EXPECT_EQ(t.random.State(), full.random.State());
    EXPECT_EQ(InMemory(t.flicker.slots[19])->Entries(),
              InMemory(full.flicker.slots[19])->Entries());

    // Flicker steps over the empty slot: the palette shown stays.
    t.flicker.cursor = 19;
    AdvanceFlicker(t.flicker, t.primary, 1);
    const auto* shown = t.device.ScreenPalette();
    EXPECT_EQ(shown, t.flicker.slots[19]);
    AdvanceFlicker(t.flicker, t.primary, 1);
    EXPECT_EQ(t.device.ScreenPalette(), shown);
    AdvanceFlicker(t.flicker, t.primary, 1);
    EXPECT_EQ(t.device.ScreenPalette(), t.flicker.slots[21]);
}

}  // namespace
}  // namespace velmora::display
