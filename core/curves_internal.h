// Internals of the curve evaluator, open to tests.
#pragma once

constexpr int kVLBasisRows = 32768;

// Row k of a basis matrix holds the cubic coefficients (t^3, t^2, t, 1) of weight k.
using VLBasisMatrix = float[4][4];

extern const VLBasisMatrix kVLCatmullRomBasis;
extern const VLBasisMatrix kVLHermiteBasis;

// Fills kVLBasisRows rows of four weights; row j is evaluated at t = j / 32768.
void SplineCurveGen(const VLBasisMatrix& basis, float (*table)[4]);
