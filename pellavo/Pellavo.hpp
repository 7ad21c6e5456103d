#pragma once

// Every public header of the library, and its version symbols.

#include "pellavo/Button/CAShapeLayer.hpp"
#include "pellavo/Button/UIButton.hpp"
#include "pellavo/Button/UIColor.hpp"
#include "pellavo/Button/UISlider.hpp"
#include "pellavo/CheckBox/VXFlatSwitch.hpp"
#include "pellavo/CheckBox/VXCircularCheckBox.hpp"
#include "pellavo/CheckBox/VXCircularCheckBoxData.hpp"
#include "pellavo/DotsLoading/DotsLoadingView.hpp"
#include "pellavo/GMStepper/GMStepper.hpp"
#include "pellavo/MaterialLoadingIndicator.hpp"
#include "pellavo/Pastel/PastelGradient.hpp"
#include "pellavo/Pastel/PastelView.hpp"
#include "pellavo/PellavoBundle.hpp"
#include "pellavo/SnakePageControl.hpp"
#include "pellavo/TextField.hpp"
#include "pellavo/VXAlert.hpp"
#include "pellavo/PopBubble.hpp"
#include "pellavo/VXBadgeBarButton.hpp"
#include "pellavo/VXBadgeButton.hpp"
#include "pellavo/VXGradientView.hpp"
#include "pellavo/VXHub.hpp"
#include "pellavo/VXImageBrowser/VXImageBrowserViewController.hpp"
#include "pellavo/VXImageBrowser/VXImageInfo.hpp"
#include "pellavo/VXImageBrowser/VXTransitionInfo.hpp"
#include "pellavo/VXLinearProgressView.hpp"
#include "pellavo/VXPopoverMenu.hpp"
#include "pellavo/VXSMSSendCodeButton.hpp"
#include "pellavo/VXPlaceholderTextView.hpp"
#include "pellavo/VXSegmentedControl.hpp"
#include "pellavo/VXShadowImageView.hpp"
#include "pellavo/VXNumerKeyboard/Classes/Regex.hpp"
#include "pellavo/VXNumerKeyboard/Classes/String+TextRegex.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXDecimalKeyboardButton.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXRegexTextField.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXRegexTextFieldDelegate.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXNumberKeyboardViewController.hpp"
#include "pellavo/VXAlignLabel.hpp"
#include "pellavo/VXTextField/VXActiveTextField.hpp"
#include "pellavo/VXTextField/VXAttributedTextField.hpp"
#include "pellavo/VXTextField/VXBorderedTextField.hpp"
#include "pellavo/VXTextField/VXPlaceholderTextField.hpp"
#include "pellavo/VXWalkthrough/VXWalkthroughPage.hpp"
#include "pellavo/VXWalkthrough/VXWalkthroughPageViewController.hpp"
#include "pellavo/VXWalkthrough/VXWalkthroughViewController.hpp"
#include "pellavo/Version.hpp"

#include "platform/ns/Export.hpp"

// PELLAVO_VERSION_NUMBER and PELLAVO_VERSION_FULL (pellavo/Version.hpp), readable by
// name in the shared library without these headers.
extern "C" {
PELLAVO_EXPORT extern const double PellavoVersionNumber;
PELLAVO_EXPORT extern const unsigned char PellavoVersionString[];
}
