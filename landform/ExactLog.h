#pragma once
// Natural logarithm and exponential from + - * / alone (and frexp/ldexp,
// which only move the exponent), so that a figure made of them is the same
// on every machine and in WebAssembly, unlike the C library's log and exp.
// Accurate to a few units in the last place.

// x > 0 and finite; otherwise NaN.
double ExactLog(double x);
// For |y| up to about 700; beyond, 0 or infinity.
double ExactExp(double y);
