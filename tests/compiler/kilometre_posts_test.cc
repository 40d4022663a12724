// Kilometre posts read from the chainage rows: zones counting up and down,
// the 100 m that the sort adds to a zone flagged 1, and the written form.
#include "compiler/kilometre_posts.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace scenario {
namespace {

std::array<record_sim, righe_tabella_sim> tabella(std::initializer_list<std::array<int32_t, 3>> zone) {
  std::array<record_sim, righe_tabella_sim> t{};
  int r = riga_progressiva_tre;
  for (const auto& z : zone) {
    t[static_cast<size_t>(r)].inizio = z[0];
    t[static_cast<size_t>(r)].fine = z[1];
    t[static_cast<size_t>(r)].progressiva = z[2];
    ++r;
  }
  return t;
}

TEST(KilometrePosts, PostsOfZonesCountingUpAndDown) {
  // A zone from 0 counting down from 12,000 (stored 12,100 by the sort),
  // then one from 6,000 counting up from -6,000, listed out of order.
  const chilometrica km(tabella({{6000, -6000, 0}, {0, 12100, 1}}));
  const struct {
    int64_t metro, post;
  } casi[] = {{0, 12000}, {1, 11999}, {5999, 6001}, {6000, 0}, {6001, 1}, {10000, 4000}};
  for (const auto& c : casi) EXPECT_EQ(km.post(c.metro), c.post) << c.metro;
  EXPECT_EQ(km.indice(5999), 0);
  EXPECT_EQ(km.indice(6000), 1);
  ASSERT_EQ(km.zone().size(), 2u);
  EXPECT_EQ(km.zone()[0].inizio, 0);
}

TEST(KilometrePosts, BeforeTheFirstZoneAndNegativePosts) {
  // Before the first zone a position reads as itself; a zone counting down
  // runs on into negative posts.
  const chilometrica km(tabella({{2000, 1100, 1}}));
  EXPECT_EQ(km.indice(1999), -1);
  EXPECT_EQ(km.post(1999), 1999);
  EXPECT_EQ(km.post(2000), -1000);
  EXPECT_EQ(km.post(2500), -1500);
  // A table without zones: posts are positions.
  EXPECT_EQ(chilometrica(tabella({})).post(43300), 43300);
}

TEST(KilometrePosts, WrittenForm) {
  const struct {
    int64_t metri;
    const char* testo;
  } casi[] = {{0, "0+000"},       {43300, "43+300"}, {7, "0+007"},
              {-200, "-0+200"},   {-12345, "-12+345"}, {1000000, "1000+000"},
              {INT64_MIN, "-9223372036854775+808"}};
  for (const auto& c : casi) EXPECT_EQ(testo_post(c.metri), c.testo) << c.metri;
}

}  // namespace
}  // namespace scenario
