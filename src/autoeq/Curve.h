#pragma once
// Curves on the response grid for fitting: a measurement resampled onto the grid and smoothed by a
// fraction of an octave, the tilt targets, and the stretch of grid points a fit looks at.
#include "autoeq/Measurement.h"
#include "eq/FilterResponse.h"

namespace pavo {

// Grid points first..last (inclusive); empty when last < first.
struct GridSpan {
    int first = 0;
    int last = -1;
    int Count() const { return last >= first ? last - first + 1 : 0; }
};

// The grid points from loHz to hiHz, both limits first clamped to the band frequencies
// (19.7 Hz .. 20.6 kHz).
GridSpan GridSpanOf(double loHz, double hiHz);
// The grid points from the first to the last frequency of a measurement.
GridSpan MeasuredSpan(const Measurement& m);
// How many points of the measurement lie from loHz to hiHz.
int PointsWithin(const Measurement& m, double loHz, double hiHz);

// The measurement at every grid point: its points joined by straight lines over log frequency and
// averaged over each grid point's own share of the octave, so that dense data is averaged and sparse
// data interpolated. Beyond its ends the end levels hold.
GridLevels ResampleToGrid(const Measurement& m);

// Fractional-octave smoothing: within `span`, each point becomes the mean of the points within
// fraction / 2 octave on either side, the window narrowed symmetrically near the ends of the span so
// that a straight slope stays straight. A fraction of 0 (or narrower than the grid's spacing) leaves
// the levels as they are.
GridLevels SmoothOctaves(const GridLevels& levels, double fraction, GridSpan span);

// A straight line of dbPerOctave over log frequency through 0 dB at 1 kHz (0: flat).
GridLevels TiltTarget(double dbPerOctave);

double MeanOver(const GridLevels& levels, GridSpan span);

}  // namespace pavo
