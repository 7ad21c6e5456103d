#pragma once

// Every public header of the library, and its version symbols.

#include "pellavo/Button/CAShapeLayer.hpp"
#include "pellavo/Button/UIButton.hpp"
#include "pellavo/Button/UIColor.hpp"
#include "pellavo/Button/UISlider.hpp"
#include "pellavo/CheckBox/VXFlatSwitch.hpp"
#include "pellavo/GMStepper/GMStepper.hpp"
#include "pellavo/PellavoBundle.hpp"
#include "pellavo/SnakePageControl.hpp"
#include "pellavo/VXGradientView.hpp"
#include "pellavo/VXImageBrowser/VXImageBrowserViewController.hpp"
#include "pellavo/VXImageBrowser/VXImageInfo.hpp"
#include "pellavo/VXImageBrowser/VXTransitionInfo.hpp"
#include "pellavo/VXLinearProgressView.hpp"
#include "pellavo/VXPopoverMenu.hpp"
#include "pellavo/VXPlaceholderTextView.hpp"
#include "pellavo/VXSegmentedControl.hpp"
#include "pellavo/VXTextField/VXPlaceholderTextField.hpp"
#include "pellavo/Version.hpp"

#define PELLAVO_EXPORT __attribute__((visibility("default")))

// PELLAVO_VERSION_NUMBER and PELLAVO_VERSION_FULL (pellavo/Version.hpp), readable by
// name in the shared library without these headers.
extern "C" {
PELLAVO_EXPORT extern const double PellavoVersionNumber;
PELLAVO_EXPORT extern const unsigned char PellavoVersionString[];
}
