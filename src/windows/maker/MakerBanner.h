#pragma once
// The maker's banner: a crescent moon rising behind three interlocking puzzle pieces, drawn by
// code on a transparent ground so that the dark band of the wizard shows around it.

#include <QImage>

inline constexpr int BannerWidth = 286;
inline constexpr int BannerHeight = 108;

// A new BannerWidth × BannerHeight picture (in window pixels, drawn at pixelRatio device pixels
// to each), transparent outside its artwork.
QImage MakerBanner(qreal pixelRatio = 1.0);
