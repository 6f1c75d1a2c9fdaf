#pragma once

#include "text/QevString.h"
#include "text/QevXmlElement.h"

#include <cstdint>

namespace qev
{

// The built-in vector icons, built in code as SVG trees. Stateless: every call builds a fresh tree.
class SvgResources
{
public:
    SvgResources() = delete;

    // Any value may be passed: the values from numTypes on select no icon.
    enum Type : std::uint32_t
    {
        ListenerFront = 0,
        ListenerFrontWithHeadphones = 1,
        ListenerTop = 2,
        ListenerTopWithHeadphones = 3,
        MagnifyingGlass = 4,
        PadLock = 5,
        PadUnLock = 6,
        PadLock2 = 7,
        PadUnLock2 = 8,
        PadLock3 = 9,
        PadUnLock3 = 10,
        PlusButton = 11,
        MinusButton = 12,
        CrossButton = 13,
        CautionButton = 14,
        CloudUploading = 15,
        CloudDownloading = 16,
        PowerButton = 17,
        RefreshArrow1 = 18,
        RefreshArrow2 = 19,
        ZoomOut = 20,
        ZoomIn = 21,
        Notepad = 22,
        GearWithWrench = 23,
        numTypes = 24
    };

    // A new tree owned by the caller; null for a type that selects no icon.
    [[nodiscard]] static XmlElement* CreateSvgFor(Type const& type);
    // The icon as an SVG document; empty for a type that selects no icon.
    static String GetSvgFor(Type const& type);

    // Takes ownership of the tree and returns it as a document (UTF-8 declaration); empty for null.
    static String toString(XmlElement* tree);

    // A new "svg" root with no children for an icon of that size.
    [[nodiscard]] static XmlElement* getDefaultSvgHeader(double width, double height);
    [[nodiscard]] static XmlElement* getDefaultSvgHeader(String const& width, String const& height);

    [[nodiscard]] static XmlElement* CreateSvgForListenerFront();
    [[nodiscard]] static XmlElement* CreateSvgForListenerFrontWithHeadphones();
    [[nodiscard]] static XmlElement* CreateSvgForListenerTop();
    [[nodiscard]] static XmlElement* CreateSvgForListenerTopWithHeadphones();
    [[nodiscard]] static XmlElement* CreateSvgForMagnifyingGlass();
    [[nodiscard]] static XmlElement* CreateSvgForPadLock();
    [[nodiscard]] static XmlElement* CreateSvgForPadUnLock();
    [[nodiscard]] static XmlElement* CreateSvgForPadLock2();
    [[nodiscard]] static XmlElement* CreateSvgForPadUnLock2();
    [[nodiscard]] static XmlElement* CreateSvgForPadLock3();
    [[nodiscard]] static XmlElement* CreateSvgForPadUnLock3();
    [[nodiscard]] static XmlElement* CreateSvgForPlusButton();
    [[nodiscard]] static XmlElement* CreateSvgForMinusButton();
    [[nodiscard]] static XmlElement* CreateSvgForCrossButton();
    [[nodiscard]] static XmlElement* CreateSvgForCautionButton();
    [[nodiscard]] static XmlElement* CreateSvgForCloudUploading();
    [[nodiscard]] static XmlElement* CreateSvgForCloudDownloading();
    [[nodiscard]] static XmlElement* CreateSvgForPowerButton();
    [[nodiscard]] static XmlElement* CreateSvgForRefreshArrow1();
    [[nodiscard]] static XmlElement* CreateSvgForRefreshArrow2();
    [[nodiscard]] static XmlElement* CreateSvgForZoomOut();
    [[nodiscard]] static XmlElement* CreateSvgForZoomIn();
    [[nodiscard]] static XmlElement* CreateSvgForNotepad();
    [[nodiscard]] static XmlElement* CreateSvgForGearWithWrench();
};

} // namespace qev
