#include "tuner/tune_index.h"

namespace tuner {

const AtuStepRow tabAtuStep[kAtuStepRows] = {
    {0, 2000},         {1800000, 2000},   {2000000, 4000},   {3500000, 4000},   {4000000, 5000},
    {5330000, 5000},   {5400000, 5000},   {7000000, 5000},   {7300000, 5000},   {10100000, 10000},
    {10150000, 10000}, {14000000, 10000}, {14350000, 10000}, {18000000, 10000}, {18170000, 10000},
    {21000000, 20000}, {21500000, 25000}, {24850000, 25000}, {25000000, 25000}, {28000000, 25000},
    {29700000, 50000}, {50000000, 50000}, {54000000, -1},
};

namespace {

// Indices in a row; the last fraction of a step goes to the row's last index.
int32_t countOf(int row) {
    return (tabAtuStep[row + 1].start - tabAtuStep[row].start) / tabAtuStep[row].step;
}

bool lastRow(int row) {
    return tabAtuStep[row + 1].step == -1;
}

}  // namespace

int32_t AtuIdxSearch(int32_t frequency, AtuSegment* segment) {
    int row = 0;
    int32_t base = 0;
    while (!lastRow(row) && !(tabAtuStep[row].start <= frequency && frequency < tabAtuStep[row + 1].start)) {
        base += countOf(row);
        ++row;
    }
    const AtuStepRow& here = tabAtuStep[row];
    const int32_t next = tabAtuStep[row + 1].start;
    // 64-bit so that frequencies far outside the table cannot overflow.
    int64_t index = base + (int64_t{frequency} - here.start + here.step / 2) / here.step;
    if (frequency > next) ++index;
    if (segment != nullptr) *segment = {here.start, next, base, base + countOf(row)};
    return static_cast<int32_t>(index);
}

int32_t AtuFreqfromIdx(int32_t index) {
    int row = 0;
    int32_t base = 0;
    while (!lastRow(row) && index > base + countOf(row)) {
        base += countOf(row);
        ++row;
    }
    return static_cast<int32_t>(tabAtuStep[row].start + (int64_t{index} - base) * tabAtuStep[row].step);
}

}  // namespace tuner
