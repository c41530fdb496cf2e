#include "profiles/format_change.h"

#include "profiles/option_panels.h"
#include "profiles/profile_catalogue.h"
#include "support/startup_values.h"

#include <QComboBox>
#include <QSlider>
#include <QTableWidget>

namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string SelectorText(const QComboBox* combo) {
    return combo->currentText().toStdString();
}

// Program changes to a selector raise no user event: the handlers listen to `activated` only,
// so filling and selecting here never re-enters the format change.
void SelectText(QComboBox* combo, std::string_view text) {
    combo->setCurrentIndex(
        combo->findText(ToQString(text), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void ApplyChange(QComboBox* combo, const SelectorChange& change) {
    if (combo == nullptr) {
        return;
    }
    switch (change.action) {
    case SelectorAction::Leave:
        break;
    case SelectorAction::InstallList: {
        QStringList entries;
        entries.reserve(static_cast<qsizetype>(change.entries.size()));
        for (std::string_view entry : change.entries) {
            entries.append(ToQString(entry));
        }
        combo->clear();
        combo->addItems(entries);
        SelectText(combo, change.selected);
        break;
    }
    case SelectorAction::SelectEntry:
        SelectText(combo, change.selected);
        break;
    case SelectorAction::Empty:
        combo->clear();
        break;
    }
}

QComboBox* SelectorFor(const OptionPanelSelectors& selectors, PanelSelector which) {
    switch (which) {
    case PanelSelector::VideoCodec:
        return selectors.ComboVideoCodec;
    case PanelSelector::VideoSize:
        return selectors.ComboVideoSize;
    case PanelSelector::VideoBitrate:
        return selectors.ComboVideoBitrate;
    case PanelSelector::VideoFramerate:
        return selectors.ComboVideoFramerate;
    case PanelSelector::AudioCodec:
        return selectors.ComboAudioCodec;
    case PanelSelector::AudioBitrate:
        return selectors.ComboAudioBitrate;
    case PanelSelector::SamplingRate:
        return selectors.ComboSamplingRate;
    case PanelSelector::AudioChannel:
        return selectors.ComboAudioChannel;
    case PanelSelector::LetterBox:
        return selectors.ComboLetterBox;
    }
    return nullptr;
}

} // namespace

void FillOutputFormatList(QComboBox* comboOutputFormat) {
    QStringList entries;
    for (std::string_view entry : OfferedFormatList) {
        entries.append(ToQString(entry));
    }
    comboOutputFormat->clear();
    comboOutputFormat->addItems(entries);
    comboOutputFormat->setMaxVisibleItems(static_cast<int>(entries.size()));
    comboOutputFormat->setCurrentIndex(0);
}

std::string SelectedOutputExtension(const QComboBox* comboOutputFormat,
                                    const std::string& fallback) {
    std::string extension = fallback;
    SelectedOutputExtension(SelectorText(comboOutputFormat), extension);
    return extension;
}

bool AspectRatioAllowed(const QComboBox* comboOutputFormat) {
    return AspectRatioAllowed(SelectorText(comboOutputFormat));
}

void InstallOptionPanel(const OptionPanelSelectors& selectors, const QComboBox* comboOutputFormat) {
    const OutputProfile* profile = FindProfile(SelectorText(comboOutputFormat));
    if (profile == nullptr) {
        return;
    }
    const std::optional<OptionPanel> panel = OptionPanelForCode(profile->profileCode);
    if (!panel) {
        return;
    }
    for (std::size_t i = 0; i < kPanelSelectorCount; ++i) {
        const auto which = static_cast<PanelSelector>(i);
        ApplyChange(SelectorFor(selectors, which), panel->For(which));
    }
}

void ApplyOutputFormat(const FormatChangeControls& controls) {
    StartupValues& values = *controls.Values;
    QComboBox* format = controls.ComboOutputFormat;

    format->setMaxVisibleItems(values.FormatDropDownCount);
    controls.Panel.ComboAudioChannel->setCurrentIndex(0);
    controls.TrackBar1->setValue(5);
    values.VolumeLevel = "50";
    controls.ComboAspectRatio->setCurrentIndex(0);
    controls.ComboAspectRatio->setEnabled(AspectRatioAllowed(format));

    // A separator is no profile: put the previous entry back. The channel, volume and aspect
    // resets above have happened all the same, and the aspect selector stays enabled even when
    // the entry put back is an audio profile.
    if (IsSeparatorText(SelectorText(format))) {
        format->setCurrentIndex(values.LastFormatIndex);
        return;
    }

    InstallOptionPanel(controls.Panel, format);

    if (QTableWidget* list = controls.ListView1) {
        const QString extension = QString::fromStdString(SelectedOutputExtension(format));
        const int rowCount = list->rowCount();
        // One repaint for the whole column, not one per row: a long list stays quick.
        const bool updates = list->updatesEnabled();
        list->setUpdatesEnabled(false);
        for (int row = 0; row < rowCount; ++row) {
            if (QTableWidgetItem* cell = list->item(row, controls.OutputColumn)) {
                cell->setText(extension);
            }
        }
        list->setUpdatesEnabled(updates);
    }

    values.LastFormatIndex = format->currentIndex();
}
