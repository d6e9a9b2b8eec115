#include "platform/InstalledService.h"

#include <gtest/gtest.h>

namespace {

struct Greeter
{
    virtual ~Greeter() = default;
    virtual int answer() const { return 0; }
};

struct Fallback : Greeter
{
    int answer() const override { return -1; }
};

struct Fixed : Greeter
{
    explicit Fixed(int value) : value(value) { }
    int answer() const override { return value; }
    int value;
};

struct Other
{
    int answer = 7;
};

using Installed = InstalledService<Greeter, Fallback>;
using OtherInstalled = InstalledService<Other>;

} // namespace

TEST(InstalledService, FallbackAnswersUntilInstalledAndAfterRemoval)
{
    Greeter &fallback = Installed::get();
    EXPECT_EQ(fallback.answer(), -1);
    EXPECT_EQ(&Installed::get(), &fallback); // one fallback object, not a new one per call

    auto fixed = std::make_shared<Fixed>(42);
    Installed::install(fixed);
    EXPECT_EQ(&Installed::get(), fixed.get());
    EXPECT_EQ(Installed::get().answer(), 42);
    // Another interface keeps its own slot.
    EXPECT_EQ(OtherInstalled::get().answer, 7);

    Installed::install(nullptr);
    EXPECT_EQ(&Installed::get(), &fallback);
    EXPECT_EQ(fixed.use_count(), 1); // the slot let go of the removed service
}
