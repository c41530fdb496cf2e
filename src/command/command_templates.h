#pragma once
// How each profile joins the per-job fragments into the encoder command line. A template is a
// list of pieces, each a fragment or a fixed option text; the command line is the pieces
// joined with nothing in between. The fixed texts pin the codecs and container of a profile,
// so a template also decides which of the user's selections have any effect.

#include "command/command_fragments.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct TemplatePiece {
    std::string CommandFragments::*fragment; // nullptr for a fixed text
    std::string_view fixedText;
};

struct CommandTemplate {
    std::string_view name;
    std::span<const TemplatePiece> pieces;
};

extern const CommandTemplate PlayerTemplate;
extern const CommandTemplate HandheldTemplate;
extern const CommandTemplate MobileTemplate;
extern const CommandTemplate Mobile2Template;
extern const CommandTemplate QuickTimeTemplate;
extern const CommandTemplate M4aTemplate;
extern const CommandTemplate Mp3Template;
extern const CommandTemplate WaveTemplate;

// The template of a ProfileCode; nullptr for a code no profile has.
const CommandTemplate* TemplateForProfileCode(int32_t profileCode);

// The fragments are taken as they stand: neither checked nor trimmed.
std::string ApplyTemplate(const CommandTemplate& commandTemplate,
                          const CommandFragments& fragments);

// Finds the profile by the output format selector's text and applies its template. When the
// text names no profile (a separator entry), `commandLine` keeps the value passed in.
void BuildProfileCommand(std::string_view outputFormatText, const CommandFragments& fragments,
                         std::string& commandLine);
