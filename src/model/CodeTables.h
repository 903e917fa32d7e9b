#pragma once
// Read-only code tables: the response grid every curve is evaluated on, the frequency tables of
// the band and crossover codes, and the Q table.
#include <algorithm>
#include <array>

namespace pavo {

constexpr int kGridPoints = 420;
constexpr int kFrequencyCodes = 362;
constexpr int kQCodes = 101;
constexpr int kFrequencyGridOffset = 35;  // FrequencyTable[c] == ResponseGrid[c + 35]

// 36 points per octave from 10 Hz to 32 kHz, three significant figures.
const std::array<double, kGridPoints>& ResponseGrid();
// Frequencies of the EQ band and exciter codes 0..361 (19.7 Hz .. 20.6 kHz).
const std::array<double, kFrequencyCodes>& FrequencyTable();
// Frequencies of the crossover filter codes; the same values as FrequencyTable.
const std::array<double, kFrequencyCodes>& CrossoverTable();
// Q values of codes 0..100.
const std::array<double, kQCodes>& QTable();

// The tables read with a code from a record. Records loaded from files or from the unit may hold
// codes outside the tables; the display then shows the nearest table end rather than reading past
// it. The record itself is left as it is.
inline double FrequencyAt(int code) {
    return FrequencyTable()[std::clamp(code, 0, kFrequencyCodes - 1)];
}
inline double CrossoverAt(int code) {
    return CrossoverTable()[std::clamp(code, 0, kFrequencyCodes - 1)];
}
inline double QAt(int code) {
    return QTable()[std::clamp(code, 0, kQCodes - 1)];
}

}  // namespace pavo
