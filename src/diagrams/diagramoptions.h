#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <utility>

// Plain data without Qt: demagora-batch parses these options and hands them to its picture
// module, which links the renderer.
namespace Demagora {

enum class NetKind { InclinationLinear, EqualArea };
enum class LabelUnit { Steps, Degrees };
enum class VerticalProjection { North, East, Both };
enum class IntensityPanel { Spectra, Decay };

// How the diagram picture is drawn beyond what the window's tool bar chooses. Every option at
// its default gives the program's classical picture, pixel for pixel.
struct DiagramOptions
{
    // The stereograms: the net linear in inclination, or the equal-area (Schmidt) net of the
    // lower hemisphere with declination ticks.
    NetKind net = NetKind::InclinationLinear;
    // Upward directions as open symbols and downward ones filled, in one colour, instead of
    // green and red.
    bool hemisphereByFill = false;
    // Temperature labels of the vector diagram and the stereogram: step index or degrees.
    LabelUnit labelsIn = LabelUnit::Steps;
    // Labels without a background box, drawn after the lines and symbols, leaving out a label
    // that would overlap one already drawn.
    bool clearLabels = false;
    // The vertical projection of the vector diagram: on the north-down plane, the east-down
    // plane, or both in two colours.
    VerticalProjection projection = VerticalProjection::North;
    // The upper right panel: the blocking spectra of the components, or the decay curves J/J0
    // of the resulting vectors.
    IntensityPanel panel = IntensityPanel::Spectra;
    // A margin inside the nets and the vector diagram, so that symbols and texts on the edge
    // are drawn whole.
    bool edgeRoom = false;
    // The intensity panel's title and the unit of its temperatures, whether or not the
    // legend is shown.
    bool axisTitles = false;

    bool operator==(const DiagramOptions &) const = default;
};

// The names of the choices, as the command line and the settings spell them.
template <typename Enum> struct OptionNames;
template <> struct OptionNames<NetKind>
{
    static constexpr std::array<std::pair<NetKind, std::string_view>, 2> names { {
        { NetKind::InclinationLinear, "specified" },
        { NetKind::EqualArea, "equal-area" },
    } };
};
template <> struct OptionNames<LabelUnit>
{
    static constexpr std::array<std::pair<LabelUnit, std::string_view>, 2> names { {
        { LabelUnit::Steps, "steps" },
        { LabelUnit::Degrees, "degrees" },
    } };
};
template <> struct OptionNames<VerticalProjection>
{
    static constexpr std::array<std::pair<VerticalProjection, std::string_view>, 3> names { {
        { VerticalProjection::North, "north" },
        { VerticalProjection::East, "east" },
        { VerticalProjection::Both, "both" },
    } };
};
template <> struct OptionNames<IntensityPanel>
{
    static constexpr std::array<std::pair<IntensityPanel, std::string_view>, 2> names { {
        { IntensityPanel::Spectra, "spectra" },
        { IntensityPanel::Decay, "decay" },
    } };
};

template <typename Enum> constexpr std::string_view optionName(Enum value)
{
    for (const auto &[v, name] : OptionNames<Enum>::names) {
        if (v == value)
            return name;
    }
    return {};
}

template <typename Enum> constexpr std::optional<Enum> optionNamed(std::string_view name)
{
    for (const auto &[v, n] : OptionNames<Enum>::names) {
        if (n == name)
            return v;
    }
    return std::nullopt;
}

} // namespace Demagora
