// Growable arrays, point lists and land circles: growth, serialized forms,
// run-time class records, and loads of hostile counts.

#include "data/Archive.h"
#include "data/FileDevices.h"
#include "data/GEO_LandCircle.h"
#include "data/PointArray.h"
#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using Bytes = std::vector<unsigned char>;
using testsupport::Deserialize;
using testsupport::Serialized;

PointArray Points(std::initializer_list<Point> points) {
    PointArray array;
    for (const Point& p : points)
        array.Add(p);
    return array;
}

TEST(GrowableArray, CapacitiesFollowTheGrowthRule) {
    PointArray byDefault;
    byDefault.Add({1, 1});
    EXPECT_EQ(byDefault.GetCapacity(), 1);
    byDefault.Add({2, 2});
    EXPECT_EQ(byDefault.GetCapacity(), 5);  // 1 + the smallest step, 4

    PointArray bySixtyFour;
    bySixtyFour.SetSize(0, 64);
    bySixtyFour.Add({1, 1});
    EXPECT_EQ(bySixtyFour.GetCapacity(), 1);
    bySixtyFour.Add({2, 2});
    EXPECT_EQ(bySixtyFour.GetCapacity(), 65);

    // Step 0 grows by an eighth of the count, between 4 and 1024.
    GrowableArray<int32_t> eighth;
    eighth.SetSize(100);
    eighth.SetSize(101);
    EXPECT_EQ(eighth.GetCapacity(), 112);
    GrowableArray<int32_t> capped;
    capped.SetSize(20000);
    capped.SetSize(20001);
    EXPECT_EQ(capped.GetCapacity(), 21024);
    // A jump past capacity + step takes exactly what was asked.
    eighth.SetSize(500);
    EXPECT_EQ(eighth.GetCapacity(), 500);
}

TEST(GrowableArray, SizingKeepsZeroesAndDropsTheTail) {
    PointArray array = Points({{1, 2}, {3, 4}, {5, 6}});
    array.SetSize(1);
    array.SetSize(3);  // within capacity: the re-added points are zero again
    EXPECT_EQ(array[0], (Point{1, 2}));
    EXPECT_EQ(array[1], (Point{0, 0}));
    EXPECT_EQ(array[2], (Point{0, 0}));

    array.SetAtGrow(5, {7, 8});
    EXPECT_EQ(array.GetSize(), 6);
    EXPECT_EQ(array[4], (Point{0, 0}));
    EXPECT_EQ(array[5], (Point{7, 8}));

    array.SetSize(0);
    EXPECT_EQ(array.GetCapacity(), 0);
    EXPECT_EQ(array.GetData(), nullptr);
    EXPECT_THROW(array.SetSize(-1), MemoryFailure);
}

// Growing moves the storage; an element of the array itself must be copied first.
TEST(GrowableArray, AppendingItsOwnElementWhileGrowing) {
    PointArray array = Points({{7, -3}});
    for (int32_t i = 0; i < 40; ++i)
        array.Add(array[0]);
    array.SetAtGrow(100, array[0]);
    EXPECT_EQ(array.GetSize(), 101);
    for (int32_t i = 0; i < 101; ++i)
        EXPECT_EQ(array[i], (i <= 40 || i == 100 ? Point{7, -3} : Point{0, 0})) << i;
}

TEST(SerializedForms, PointArrayUsesAShortCount) {
    PointArray empty;
    EXPECT_EQ(Serialized(empty), (Bytes{0x00, 0x00}));
    PointArray three = Points({{1, -1}, {2, 0}, {0x01020304, 5}});
    Bytes bytes = Serialized(three);
    ASSERT_EQ(bytes.size(), 2u + 24u);
    EXPECT_EQ(bytes[0], 0x03);
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ((Bytes(bytes.begin() + 2, bytes.begin() + 10)),
              (Bytes{0x01, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ((Bytes(bytes.begin() + 18, bytes.begin() + 22)), (Bytes{0x04, 0x03, 0x02, 0x01}));

    PointArray back = Points({{9, 9}});
    back.SetSize(back.GetSize(), 16);
    Deserialize(back, bytes);
    ASSERT_EQ(back.GetSize(), 3);
    EXPECT_EQ(back[2], (Point{0x01020304, 5}));
    EXPECT_EQ(back.GetGrowBy(), 16);  // the step is the array's own
}

TEST(SerializedForms, LandCircleUsesALongCount) {
    GEO_LandCircle empty;
    EXPECT_EQ(Serialized(empty), (Bytes{0, 0, 0, 0}));
    GEO_LandCircle circle;
    static_cast<PointArray&>(circle) = Points({{-1, 0}, {0, 0}, {1, 0}});
    Bytes bytes = Serialized(circle);
    ASSERT_EQ(bytes.size(), 4u + 8u * 3);
    EXPECT_EQ((Bytes(bytes.begin(), bytes.begin() + 4)), (Bytes{3, 0, 0, 0}));
    GEO_LandCircle back;
    Deserialize(back, bytes);
    ASSERT_EQ(back.GetSize(), 3);
    EXPECT_EQ(back[0], (Point{-1, 0}));
}

TEST(SerializedForms, LandCircleArrayOfEmptyCircles) {
    GEO_LandCircleArray table;
    EXPECT_EQ(Serialized(table), (Bytes{0, 0, 0, 0}));
    table.SetSize(3);
    EXPECT_EQ(Serialized(table), (Bytes{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SerializedForms, LoadingFewerCirclesDropsTheSurplus) {
    GEO_LandCircleArray small;
    small.AddCircle(Points({{5, 5}}));
    Bytes bytes = Serialized(small);

    GEO_LandCircleArray table;
    for (int i = 0; i < 4; ++i)
        table.AddCircle(Points({{1, 1}, {2, 2}}));
    Deserialize(table, bytes);
    ASSERT_EQ(table.GetSize(), 1);
    ASSERT_EQ(table[0].GetSize(), 1);
    EXPECT_EQ(table[0][0], (Point{5, 5}));
}

TEST(LandCircleArray, AddTakesACopy) {
    GEO_LandCircleArray table;
    PointArray scratch;
    scratch.SetSize(0, 64);
    scratch.Add({1, 2});
    EXPECT_EQ(table.AddCircle(scratch), 0);
    scratch[0] = {7, 7};
    EXPECT_EQ(table.AddCircle(scratch), 1);
    EXPECT_EQ(table[0][0], (Point{1, 2}));
    EXPECT_EQ(table[0].GetGrowBy(), 0);  // a new circle, not the scratch list's step
}

TEST(RuntimeClasses, RecordsNameSchemaBaseAndCreation) {
    const RuntimeClass* classes[] = {&GEO_LandCircle::classGEO_LandCircle,
                                     &GEO_LandCircleArray::classGEO_LandCircleArray};
    const char* names[] = {"GEO_LandCircle", "GEO_LandCircleArray"};
    for (int i = 0; i < 2; ++i) {
        EXPECT_STREQ(classes[i]->className, names[i]);
        EXPECT_EQ(classes[i]->schema, 1u);
        EXPECT_EQ(classes[i]->base, &CObject::classCObject);
        std::unique_ptr<CObject> made(classes[i]->CreateObject());
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetRuntimeClass(), classes[i]);
        EXPECT_TRUE(made->IsKindOf(&CObject::classCObject));
    }
    GEO_LandCircle circle;
    EXPECT_FALSE(circle.IsKindOf(&GEO_LandCircleArray::classGEO_LandCircleArray));
}

// Counts a file cannot hold are refused before anything is allocated, and the
// array being loaded is not left with made-up points.
TEST(HostileCounts, AreRefusedBeforeAllocation) {
    struct Case {
        const char* name;
        Bytes bytes;
        std::function<void(const Bytes&)> load;
        bool formatFailure;
    };
    auto points = [](const Bytes& b) {
        PointArray a;
        Deserialize(a, b);
    };
    auto circle = [](const Bytes& b) {
        GEO_LandCircle c;
        Deserialize(c, b);
    };
    auto table = [](const Bytes& b) {
        GEO_LandCircleArray t;
        Deserialize(t, b);
    };
    const Case cases[] = {
        {"points past the end", {0x02, 0x00, 1, 0, 0, 0, 2, 0, 0, 0}, points, false},
        {"escaped huge count", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, points, false},
        {"escaped count 2^31", {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80}, points, false},
        {"circle count -1", {0xFF, 0xFF, 0xFF, 0xFF}, circle, true},
        {"circle count INT32_MAX", {0xFF, 0xFF, 0xFF, 0x7F}, circle, false},
        {"circle cut inside a point", {0x01, 0, 0, 0, 1, 0, 0, 0, 2}, circle, false},
        {"table count -5", {0xFB, 0xFF, 0xFF, 0xFF}, table, true},
        {"table count INT32_MAX", {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}, table, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.formatFailure)
            EXPECT_THROW(c.load(c.bytes), FormatFailure);
        else
            EXPECT_THROW(c.load(c.bytes), EndOfFileFailure);
    }
}

}  // namespace
