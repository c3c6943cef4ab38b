#pragma once
// The demo generator's chance: the same seed gives the same database everywhere.

#include <QString>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <random>
#include <vector>

namespace qvl::demo {

// Draws from std::mt19937 with plain arithmetic instead of the standard distributions,
// whose algorithms differ between standard libraries: a seed must give the same
// database with every compiler.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : engine_(seed) {}

    int between(int low, int high)
    {
        return low + int(engine_() % std::uint32_t(high - low + 1));
    }
    double unit() { return engine_() / 4294967296.0; }
    bool chance(double probability) { return unit() < probability; }

    template <typename T, std::size_t N>
    const T &pick(const T (&items)[N])
    {
        return items[between(0, int(N) - 1)];
    }

    QString digits(int count)
    {
        QString text;
        text.reserve(count);
        for (int i = 0; i < count; ++i)
            text += QChar(u'0' + between(0, 9));
        return text;
    }

    // Marks exactly counts[k] of N owners with k + 1 (the rest with 0), the owners drawn
    // at random. Marks of one call exclude each other.
    std::vector<int> marks(int n, std::initializer_list<int> counts)
    {
        std::vector<int> order(n);
        std::iota(order.begin(), order.end(), 0);
        std::vector<int> result(n, 0);
        int next = 0;
        int mark = 0;
        for (int count : counts) {
            ++mark;
            // The first steps of a Fisher-Yates shuffle.
            for (int i = 0; i < count && next < n; ++i, ++next) {
                std::swap(order[next], order[between(next, n - 1)]);
                result[order[next]] = mark;
            }
        }
        return result;
    }

private:
    std::mt19937 engine_;
};

// PERCENT of N owners, but at least one so that every case shows up in small databases.
inline int share(int n, int percent)
{
    return n > 0 ? std::max(1, n * percent / 100) : 0;
}

} // namespace qvl::demo
