#include "common/QevException.h"
#include "osc/QevOscAddressMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace
{

using qev::OscAddress;
using qev::OscAddressMap;

std::vector<std::string> sortedKeys(OscAddressMap const& map)
{
    auto const keys = map.GetKeys();
    std::vector<std::string> texts;
    for (unsigned long i = 0; i < keys.GetSize(); ++i)
        texts.push_back(keys[i].GetStdString());
    std::sort(texts.begin(), texts.end());
    return texts;
}

TEST(OscAddressMap, CachesEachExactTextOnceAndReferencesStayValid)
{
    OscAddressMap map;
    EXPECT_TRUE(sortedKeys(map).empty());

    OscAddress const& first = map["/a/b"];
    EXPECT_EQ(&map[qev::String("/a/b")], &first);
    EXPECT_EQ(first.GetNumParts(), 2u);

    // Equal addresses under two texts are two entries.
    OscAddress const& slashed = map["/a/b/"];
    EXPECT_NE(&slashed, &first);
    EXPECT_EQ(slashed, first);
    EXPECT_EQ(sortedKeys(map), (std::vector<std::string>{"/a/b", "/a/b/"}));

    map.Insert("/a/b");
    for (int i = 0; i < 1000; ++i)
        map.Insert(qev::String("/track/") + qev::String(i));
    EXPECT_EQ(map.GetNumEntries(), 1002u);
    EXPECT_EQ(&map["/a/b"], &first);
    EXPECT_EQ(first.GetText(), "/a/b");
}

TEST(OscAddressMap, InvalidTextsThrowAndAddNothing)
{
    OscAddressMap map;
    for (auto const* text : {"/a/*", "/a b", "/{a,b}", "/caf\xc3\xa9"})
    {
        try
        {
            map[text];
            ADD_FAILURE() << text << ": no exception";
        }
        catch (qev::Exception const& e)
        {
            EXPECT_EQ(std::string(e.what()).rfind("OSC format error: Character ", 0), 0u) << e.what();
        }
        EXPECT_THROW(map.Insert(text), qev::Exception);
    }
    EXPECT_EQ(map.GetNumEntries(), 0u);
}

TEST(OscAddressMap, ConcurrentLookupsAgreeOnOneEntry)
{
    OscAddressMap map;
    std::vector<OscAddress const*> seen(8);
    std::vector<std::thread> threads;
    for (auto& address : seen)
        threads.emplace_back(
            [&map, &address]
            {
                for (int i = 0; i < 200; ++i)
                    map[qev::String("/strip/") + qev::String(i) + "/level"];
                address = &map["/strip/7/level"];
            });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(map.GetNumEntries(), 200u);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), seen[0]), 8);
    EXPECT_EQ(&OscAddressMap::GetGlobalSymbols(), &OscAddressMap::GetGlobalSymbols());
}

} // namespace
