/* Resource and control identifiers of the property dialogs. Plain
   preprocessor definitions: the resource scripts include this file too. */
#ifndef NODRIX_SETTINGS_DIALOG_IDS_H
#define NODRIX_SETTINGS_DIALOG_IDS_H

/* Dialog resources: Japanese and English variants of each dialog and page. */
#define IDD_CAMERA_JA 101
#define IDD_CAMERA_EN 106
#define IDD_IMAGE_JA 102
#define IDD_IMAGE_EN 108
#define IDD_IMAGE_FILTER_JA 103
#define IDD_IMAGE_FILTER_EN 107
#define IDD_ANALOG_JA 104
#define IDD_ANALOG_EN 111
#define IDD_ANALOG_COLOR_JA 105
#define IDD_ANALOG_COLOR_EN 110
#define IDD_GRAY_FILTER_JA 113
#define IDD_GRAY_FILTER_EN 112
#define IDD_CHANNEL_GAINS_EN 114
#define IDD_CHANNEL_GAINS_JA 115
#define IDD_ANALOG_MONO_JA 116
#define IDD_ANALOG_MONO_EN 117

/* Shared by every frame. */
#define IDC_TAB 1001
#define IDC_APPLY 1002
#define IDC_DEFAULT 3

/* Camera dialog. */
#define IDC_FORMAT_LIST 1009
#define IDC_SIZE_LIST 1010
#define IDC_SUBSAMPLE_LIST 1012
#define IDC_CLOCK_LIST 1014
#define IDC_H_TOTAL 1039
#define IDC_V_TOTAL 1040
#define IDC_H_EFFECTIVE 1041
#define IDC_V_EFFECTIVE 1042
#define IDC_H_START 1043
#define IDC_V_START 1044
#define IDC_WAIT_TIME 1045

/* Image filter page: trackbar, edit and up-down of each group. */
#define IDC_BRIGHTNESS_BAR 2001
#define IDC_BRIGHTNESS_EDIT 2002
#define IDC_BRIGHTNESS_SPIN 2004
#define IDC_CONTRAST_BAR 2011
#define IDC_CONTRAST_EDIT 2012
#define IDC_CONTRAST_SPIN 2014
#define IDC_HUE_BAR 2021
#define IDC_HUE_EDIT 2022
#define IDC_HUE_SPIN 2024
#define IDC_SATURATION_BAR 2031
#define IDC_SATURATION_EDIT 2032
#define IDC_SATURATION_SPIN 2034
#define IDC_SHARPNESS_BAR 2041
#define IDC_SHARPNESS_EDIT 2042
#define IDC_SHARPNESS_SPIN 2044
#define IDC_RGAIN_BAR 2051
#define IDC_RGAIN_EDIT 2052
#define IDC_RGAIN_SPIN 2054
#define IDC_GGAIN_BAR 2061
#define IDC_GGAIN_EDIT 2062
#define IDC_GGAIN_SPIN 2063
#define IDC_BGAIN_BAR 2071
#define IDC_BGAIN_EDIT 2072
#define IDC_BGAIN_SPIN 2073
#define IDC_GAMMA_BAR 2081
#define IDC_GAMMA_EDIT 2082
#define IDC_GAMMA_SPIN 2084
#define IDC_ONCE 2074
#define IDC_ALL_FRAMES 1035
#define IDC_BAYER_0 1030
#define IDC_BAYER_1 1031
#define IDC_BAYER_2 1032
#define IDC_BAYER_3 1033

/* Grey filter page: groups from 2100 on, three controls each. */
#define IDC_GRAY_FIRST 2100
#define IDC_GRAY_MODE_BAYER 1046
#define IDC_GRAY_MODE_CONVERT 1047
#define IDC_GRAY_MODE_GRAY 1048

/* Analog page: trackbar, up-down and edit of each group. */
#define IDC_GAIN_BAR 1013
#define IDC_GAIN_SPIN 1038
#define IDC_GAIN_EDIT 1015
#define IDC_G1_BAR 1018
#define IDC_G1_SPIN 1039
#define IDC_G1_EDIT 1019
#define IDC_R_BAR 1020
#define IDC_R_SPIN 1040
#define IDC_R_EDIT 1021
#define IDC_B_BAR 1022
#define IDC_B_SPIN 1041
#define IDC_B_EDIT 1023
#define IDC_G2_BAR 1024
#define IDC_G2_SPIN 1042
#define IDC_G2_EDIT 1025
#define IDC_EXPOSURE_BAR 1026
#define IDC_EXPOSURE_SPIN 1043
#define IDC_EXPOSURE_EDIT 1027
#define IDC_EXPOSURE_LABEL 2135
#define IDC_EXPOSURE_MS 1049
#define IDC_SECONDS_EDIT 2131
#define IDC_SECONDS_UNIT 2132
#define IDC_SECONDS_RANGE 2133
#define IDC_SECONDS_LABEL 2134
#define IDC_BLACK_LABEL 2127
#define IDC_BLACK_BAR 2128
#define IDC_BLACK_EDIT 2129
#define IDC_BLACK_SPIN 2130
#define IDC_PELTIER 2124
#define IDC_SHORT_EXPOSURE 2125
#define IDC_GAIN_MODE 2126
#define IDC_IRIS_GAIN 1036
#define IDC_IRIS_EXPOSURE 1037
#define IDC_MIRROR_V 1028
#define IDC_MIRROR_H 1029

/* The unused channel gain page: four gain and four offset edits. */
#define IDC_CHANNEL_FIRST 1050

#endif
