"""Finding libnodrix and declaring every prototype of its C API once.

A function of a ctypes library without ``argtypes`` converts its arguments by
guesswork and one without ``restype`` returns a C int: a double comes back as
garbage and a 64-bit pointer is cut in half. Every export is therefore
declared here from one table, and nothing else in the package touches the
library's functions by name outside this table.
"""

from __future__ import annotations

import ctypes
import os
import sys
import threading
from pathlib import Path
from typing import Any, Optional, Union

from . import _records
from .errors import LibraryNotFoundError

_INT = ctypes.c_int
_DOUBLE = ctypes.c_double
_INT_P = ctypes.POINTER(ctypes.c_int)
_VOID_P = ctypes.c_void_p
_CHAR_P = ctypes.POINTER(ctypes.c_char)
_CSTR = ctypes.c_char_p
# A window handle: an integer of pointer size (HWND on Windows).
_HWND = ctypes.c_ssize_t
# UTF-16 text: the package encodes it itself, since ctypes' wchar_t is
# 32 bits wide outside Windows.
_WSTR = ctypes.c_void_p
_INFO_P = ctypes.POINTER(_records.CameraInfoRecord)
_BYTE_P = ctypes.POINTER(ctypes.c_ubyte)

# (name, result, argument types) of the 149 functions of NodrixSdk.h.
PROTOTYPES: tuple[tuple[str, Any, tuple[Any, ...]], ...] = (
    ("Nodrix_Initialize", _INT, (_HWND,)),
    ("Nodrix_Release", _INT, (_INT,)),
    ("Nodrix_Close", _INT, (_INT,)),
    ("Nodrix_GetLastError", _INT, (_INT,)),
    ("Nodrix_GetDllVersion", _INT, ()),
    ("Nodrix_GetStatus", _INT, (_INT, _INT)),
    ("Nodrix_EnumDevice", _INT, (_INT, _CHAR_P)),
    ("Nodrix_EnumDeviceW", _INT, (_INT, _WSTR)),
    ("Nodrix_SetDeviceNumber", _INT, (_INT, _INT)),
    ("Nodrix_GetDeviceName", _INT, (_INT, _INT, _CHAR_P, _INT)),
    ("Nodrix_GetDeviceNameW", _INT, (_INT, _INT, _WSTR, _INT)),
    ("Nodrix_GetCameraInfo", _INT, (_INT, _INFO_P)),
    ("Nodrix_ReadSerialNumberA", _INT, (_INT, _CHAR_P, _INT)),
    ("Nodrix_ReadSerialNumberW", _INT, (_INT, _WSTR, _INT)),
    ("Nodrix_ReadSromID", _INT, (_INT, _INT, _INT_P)),
    ("Nodrix_WriteSromID", _INT, (_INT, _INT, _INT)),
    ("Nodrix_Preview", _INT, (_INT,)),
    ("Nodrix_CallBackPreview", _INT, (_INT, _HWND, _VOID_P, _INT, _INT)),
    ("Nodrix_Capture", _INT, (_INT,)),
    ("Nodrix_SnapShot", _INT, (_INT, _VOID_P, _INT, _INT)),
    ("Nodrix_GetImage", _INT, (_INT, _VOID_P, _INT, _INT)),
    ("Nodrix_Trigger", _INT, (_INT, _HWND, _VOID_P, _INT, _INT)),
    ("Nodrix_StartPreview", _INT, (_INT,)),
    ("Nodrix_StopPreview", _INT, (_INT,)),
    ("Nodrix_Record", _INT, (_INT, _CSTR, _INT, _INT)),
    ("Nodrix_RecordW", _INT, (_INT, _WSTR, _INT, _INT)),
    ("Nodrix_SetWaitTime", _INT, (_INT, _INT)),
    ("Nodrix_GetWaitTime", _INT, (_INT,)),
    ("Nodrix_SetPreviewWindow", _INT, (_INT, _HWND, _INT, _INT, _INT, _INT)),
    ("Nodrix_SetCaptureWindow", _INT, (_INT, _INT, _INT)),
    ("Nodrix_SetCaptureWindowEx", _INT, (_INT, _INT, _INT, _INT, _INT, _INT, _INT)),
    ("Nodrix_GetCaptureWindowEx", _INT, (_INT, _INT_P, _INT_P, _INT_P, _INT_P, _INT_P, _INT_P)),
    ("Nodrix_Width", _INT, (_INT,)),
    ("Nodrix_Height", _INT, (_INT,)),
    ("Nodrix_SetColorMode", _INT, (_INT, _INT)),
    ("Nodrix_GetColorMode", _INT, (_INT,)),
    ("Nodrix_SetSubSample", _INT, (_INT, _INT)),
    ("Nodrix_GetSubSample", _INT, (_INT,)),
    ("Nodrix_SetMirrorH", _INT, (_INT, _INT)),
    ("Nodrix_SetMirrorV", _INT, (_INT, _INT)),
    ("Nodrix_GetMirrorH", _INT, (_INT,)),
    ("Nodrix_GetMirrorV", _INT, (_INT,)),
    ("Nodrix_SetExposureTimeEx", _INT, (_INT, _DOUBLE)),
    ("Nodrix_GetExposureTimeEx", _DOUBLE, (_INT, _INT_P)),
    ("Nodrix_SetRealExposureTime", _INT, (_INT, _INT)),
    ("Nodrix_GetRealExposureTime", _INT, (_INT, _INT_P)),
    ("Nodrix_SetAutoIris", _INT, (_INT, _INT)),
    ("Nodrix_GetAutoIris", _INT, (_INT, _INT_P)),
    ("Nodrix_SetChannelGain", _INT, (_INT, _INT, _INT)),
    ("Nodrix_SetChannelOffset", _INT, (_INT, _INT, _INT)),
    ("Nodrix_GetChannelGain", _INT, (_INT, _INT, _INT_P)),
    ("Nodrix_GetChannelOffset", _INT, (_INT, _INT, _INT_P)),
    ("Nodrix_SetFilterValue", _INT, (_INT, _INT, _INT)),
    ("Nodrix_GetFilterValue", _INT, (_INT, _INT, _INT_P)),
    ("Nodrix_SetBrightness", _INT, (_INT, _INT)),
    ("Nodrix_GetBrightness", _INT, (_INT, _INT_P)),
    ("Nodrix_SetContrast", _INT, (_INT, _INT)),
    ("Nodrix_GetContrast", _INT, (_INT, _INT_P)),
    ("Nodrix_SetHue", _INT, (_INT, _INT)),
    ("Nodrix_GetHue", _INT, (_INT, _INT_P)),
    ("Nodrix_SetSaturation", _INT, (_INT, _INT)),
    ("Nodrix_GetSaturation", _INT, (_INT, _INT_P)),
    ("Nodrix_SetSharpness", _INT, (_INT, _INT)),
    ("Nodrix_GetSharpness", _INT, (_INT, _INT_P)),
    ("Nodrix_SetBayerGainRGB", _INT, (_INT, _INT)),
    ("Nodrix_GetBayerGainRGB", _INT, (_INT, _INT_P)),
    ("Nodrix_SetBayerGainRed", _INT, (_INT, _INT)),
    ("Nodrix_GetBayerGainRed", _INT, (_INT, _INT_P)),
    ("Nodrix_SetBayerGainGreen", _INT, (_INT, _INT)),
    ("Nodrix_GetBayerGainGreen", _INT, (_INT, _INT_P)),
    ("Nodrix_SetBayerGainBlue", _INT, (_INT, _INT)),
    ("Nodrix_GetBayerGainBlue", _INT, (_INT, _INT_P)),
    ("Nodrix_SetBayerGainAuto", _INT, (_INT, _INT)),
    ("Nodrix_GetBayerGainAuto", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGamma", _INT, (_INT, _INT)),
    ("Nodrix_GetGamma", _INT, (_INT, _INT_P)),
    ("Nodrix_SetBayerMode", _INT, (_INT, _INT)),
    ("Nodrix_GetBayerMode", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGlobalGain", _INT, (_INT, _INT)),
    ("Nodrix_GetGlobalGain", _INT, (_INT, _INT_P)),
    ("Nodrix_SetColorGainRed", _INT, (_INT, _INT)),
    ("Nodrix_GetColorGainRed", _INT, (_INT, _INT_P)),
    ("Nodrix_SetColorGainGreen1", _INT, (_INT, _INT)),
    ("Nodrix_GetColorGainGreen1", _INT, (_INT, _INT_P)),
    ("Nodrix_SetColorGainGreen2", _INT, (_INT, _INT)),
    ("Nodrix_GetColorGainGreen2", _INT, (_INT, _INT_P)),
    ("Nodrix_SetColorGainBlue", _INT, (_INT, _INT)),
    ("Nodrix_GetColorGainBlue", _INT, (_INT, _INT_P)),
    ("Nodrix_SetExposureTime", _INT, (_INT, _INT)),
    ("Nodrix_GetExposureTime", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGrayMode", _INT, (_INT, _INT)),
    ("Nodrix_GetGrayMode", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGrayGainR", _INT, (_INT, _INT)),
    ("Nodrix_GetGrayGainR", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGrayGainG1", _INT, (_INT, _INT)),
    ("Nodrix_GetGrayGainG1", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGrayGainG2", _INT, (_INT, _INT)),
    ("Nodrix_GetGrayGainG2", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGrayGainB", _INT, (_INT, _INT)),
    ("Nodrix_GetGrayGainB", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGrayOffsetR", _INT, (_INT, _INT)),
    ("Nodrix_GetGrayOffsetR", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGrayOffsetG1", _INT, (_INT, _INT)),
    ("Nodrix_GetGrayOffsetG1", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGrayOffsetG2", _INT, (_INT, _INT)),
    ("Nodrix_GetGrayOffsetG2", _INT, (_INT, _INT_P)),
    ("Nodrix_SetGrayOffsetB", _INT, (_INT, _INT)),
    ("Nodrix_GetGrayOffsetB", _INT, (_INT, _INT_P)),
    ("Nodrix_SetPeltier", _INT, (_INT, _INT)),
    ("Nodrix_GetPeltier", _INT, (_INT, _INT_P)),
    ("Nodrix_SetDotFilter", _INT, (_INT, _INT)),
    ("Nodrix_GetDotFilter", _INT, (_INT, _INT_P)),
    ("Nodrix_SetMaskFilter", _INT, (_INT, _INT)),
    ("Nodrix_GetMaskFilter", _INT, (_INT, _INT_P)),
    ("Nodrix_ReadRegister", _INT, (_INT, _INT, _INT_P)),
    ("Nodrix_ReadRegisterEx", _INT, (_INT, _INT, _INT_P)),
    ("Nodrix_WriteRegister", _INT, (_INT, _INT, _INT)),
    ("Nodrix_WriteRegisterEx", _INT, (_INT, _INT, _INT)),
    ("Nodrix_Fpga_ReadRegister", _INT, (_INT, _INT, _INT_P)),
    ("Nodrix_Fpga_WriteRegister", _INT, (_INT, _INT, _INT)),
    ("Nodrix_SetIOPort", _INT, (_INT, _INT)),
    ("Nodrix_GetIOPort", _INT, (_INT, _BYTE_P, _INT, _INT)),
    ("Nodrix_SetSamplingRate", _INT, (_INT, _INT)),
    ("Nodrix_GetSamplingRate", _INT, (_INT, _INT_P)),
    ("Nodrix_GetVideoFormat", _INT, (_INT, _INT_P)),
    ("Nodrix_GetTemperatureEx", _DOUBLE, (_INT, _INT_P)),
    ("Nodrix_GetTemperature", _INT, (_INT, _INT_P)),
    ("Nodrix_SetCameraDlg", _INT, (_INT, _HWND)),
    ("Nodrix_SetImageDlg", _INT, (_INT, _HWND)),
    ("Nodrix_SetAnalogDlg", _INT, (_INT, _HWND)),
    ("Nodrix_SaveImage", _INT, (_INT, _CSTR, _INT)),
    ("Nodrix_SaveImageW", _INT, (_INT, _WSTR, _INT)),
    ("Nodrix_LoadConfigFileA", _INT, (_INT, _CSTR)),
    ("Nodrix_LoadConfigFileW", _INT, (_INT, _WSTR)),
    ("Nodrix_LoadMaskFile", _INT, (_INT, _CSTR)),
    ("Nodrix_LoadMaskFileW", _INT, (_INT, _WSTR)),
    ("Nodrix_SaveMaskFile", _INT, (_INT, _CSTR)),
    ("Nodrix_SaveMaskFileW", _INT, (_INT, _WSTR)),
    ("Nodrix_UpdateMaskData", _INT, (_INT, _INT)),
    ("Nodrix_Fps", _INT, (_INT,)),
    ("Nodrix_GetHalfClock", _INT, (_INT, _INT_P)),
    ("Nodrix_SetHalfClock", _INT, (_INT, _INT)),
    ("Nodrix_GetInternalCorrection", _INT, (_INT, _INT_P)),
    ("Nodrix_SetInternalCorrection", _INT, (_INT, _INT)),
    ("Nodrix_SetCrossbar", _INT, (_INT, _INT, _INT)),
    ("Nodrix_SendText", _INT, (_INT, _CSTR, _INT)),
    ("Nodrix_ReceiveText", _INT, (_INT, _CHAR_P, _INT)),
    ("Nodrix_SetConfigFilter", _INT, (_INT, _INT, _INT)),
    ("Nodrix_GetConfigFilter", _INT, (_INT, _INT, _INT_P)),
)

# The extension API (NodrixSdkEx.h). A library from before it lacks these;
# the package then works without streams, metadata and statistics.
EXTENSION_PROTOTYPES: tuple[tuple[str, Any, tuple[Any, ...]], ...] = (
    ("NodrixEx_GetApiVersion", _INT, ()),
    ("NodrixEx_ErrorText", ctypes.c_char_p, (_INT,)),
    ("NodrixEx_GetFrameMetadata", _INT, (_INT, ctypes.POINTER(_records.FrameMetadataRecord))),
    ("NodrixEx_GetStreamStatistics", _INT,
     (_INT, ctypes.POINTER(_records.StreamStatisticsRecord))),
    ("NodrixEx_ResetStreamStatistics", _INT, (_INT,)),
    ("NodrixEx_SetFrameCallback", _INT, (_INT, _records.FrameCallback, ctypes.c_void_p)),
    ("NodrixEx_SetSaveOnRelease", _INT, (_INT, _INT)),
)

# Later additions to the extension API: None in a library from before them.
LATER_PROTOTYPES: tuple[tuple[str, Any, tuple[Any, ...]], ...] = (
    ("NodrixEx_GetVersionText", ctypes.c_char_p, ()),  # extension API 1.1
    ("NodrixEx_GetLastSystemError", _INT, (_INT, ctypes.c_char_p, _INT)),  # 1.1
    # The stream of application buffers, 1.2.
    ("NodrixEx_StreamGetInfo", _INT, (_INT, ctypes.POINTER(_records.StreamInfoRecord))),
    ("NodrixEx_StreamAnnounceBuffer", _INT,
     (_INT, _VOID_P, ctypes.c_size_t, _VOID_P, _INT_P)),
    ("NodrixEx_StreamRevokeBuffer", _INT,
     (_INT, _INT, ctypes.POINTER(_VOID_P), ctypes.POINTER(_VOID_P))),
    ("NodrixEx_StreamQueueBuffer", _INT, (_INT, _INT)),
    ("NodrixEx_StreamStart", _INT, (_INT, _INT)),
    ("NodrixEx_StreamStop", _INT, (_INT,)),
    ("NodrixEx_StreamWaitBuffer", _INT,
     (_INT, _INT, ctypes.POINTER(_records.StreamBufferRecord))),
    ("NodrixEx_StreamCancelWaits", _INT, (_INT, _INT)),
)

LIBRARY_ENVIRONMENT = "NODRIX_LIBRARY"
WINDOWS_DLL = "NodrixSdk_T520_USB3.dll"
POSIX_NAMES = ("libnodrix.so.1", "libnodrix.so")


class Library:
    """The loaded library with every prototype declared.

    Attributes are the library's functions under their C names
    (``lib.Nodrix_SnapShot``). ``has_extension`` tells whether the library
    exports the extension API.
    """

    def __init__(self, cdll: ctypes.CDLL, path: str) -> None:
        self.path = path
        self._cdll = cdll
        for name, result, arguments in PROTOTYPES:
            self._declare(name, result, arguments)
        self.has_extension = True
        for name, result, arguments in EXTENSION_PROTOTYPES:
            try:
                self._declare(name, result, arguments)
            except AttributeError:
                self.has_extension = False
                setattr(self, name, None)
        for name, result, arguments in LATER_PROTOTYPES:
            try:
                self._declare(name, result, arguments)
            except AttributeError:
                setattr(self, name, None)

    @property
    def version(self) -> Optional[str]:
        """The SDK release of the loaded library (``"1.0.0"``), or None for a
        library from before the version text."""
        if self.NodrixEx_GetVersionText is None:
            return None
        return self.NodrixEx_GetVersionText().decode("ascii", "replace")

    def _declare(self, name: str, result: Any, arguments: tuple[Any, ...]) -> None:
        function = getattr(self._cdll, name)
        function.restype = result
        function.argtypes = arguments
        setattr(self, name, function)

    def __repr__(self) -> str:
        return f"<nodrix library {self.path!r}>"


def _candidates(path: Optional[Union[str, os.PathLike[str]]]) -> list[str]:
    if path is not None:
        return [os.fspath(path)]
    from_environment = os.environ.get(LIBRARY_ENVIRONMENT)
    if from_environment:
        return [from_environment]
    if sys.platform == "win32":
        # The DLL next to the package first, then the DLL search path.
        return [str(Path(__file__).resolve().parent / WINDOWS_DLL), WINDOWS_DLL]
    return list(POSIX_NAMES)


def _open(name: str) -> ctypes.CDLL:
    if sys.platform == "win32" and os.path.isabs(name) and not os.path.exists(name):
        raise OSError(f"{name}: no such file")
    # Plain CDLL: the GIL is released for the duration of every call.
    return ctypes.CDLL(name)


_loaded: Optional[Library] = None
_load_lock = threading.Lock()


def load(path: Optional[Union[str, os.PathLike[str]]] = None) -> Library:
    """Loads the library (once per process) and returns it.

    The first of these that is given wins: ``path``, the environment
    variable ``NODRIX_LIBRARY``, then the installed library
    (``libnodrix.so.1`` or ``libnodrix.so`` on Linux;
    ``NodrixSdk_T520_USB3.dll`` next to this package or on the DLL search
    path on Windows, for a Python of the DLL's architecture). A later call
    with another explicit path than the loaded library's raises.
    """
    global _loaded
    with _load_lock:
        if _loaded is not None:
            if path is not None and os.path.realpath(os.fspath(path)) != os.path.realpath(
                    _loaded.path):
                raise LibraryNotFoundError(
                    f"the library {_loaded.path} is already loaded; "
                    f"{os.fspath(path)} cannot be loaded beside it")
            return _loaded
        problems = []
        for name in _candidates(path):
            try:
                _loaded = Library(_open(name), name)
                return _loaded
            except (OSError, AttributeError) as error:
                problems.append(f"{name}: {error}")
        bits = ctypes.sizeof(ctypes.c_void_p) * 8
        raise LibraryNotFoundError(
            "the NodrixT520 library could not be loaded by this "
            f"{bits}-bit Python (set {LIBRARY_ENVIRONMENT} to its path): " + "; ".join(problems))
