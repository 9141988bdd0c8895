"""Errors of the library as Python exceptions.

Every failed call raises a subclass of :class:`NodrixError` chosen by the
error code the library recorded (``Nodrix_GetLastError``); the exception
carries that code and the library's text for it.
"""

from __future__ import annotations

from typing import Optional

# The texts used when the loaded library has no NodrixEx_ErrorText.
_FALLBACK_TEXTS = {
    0: "no error code was recorded",
    1: "no camera, or not allowed in this mode",
    2: "camera not present or not opened",
    3: "worker thread or event not created",
    4: "preview window or size preset missing",
    5: "image memory missing or too small",
    6: "the camera refused or did not answer",
    7: "capture window outside the sensor",
    8: "a frame could not be acquired",
    9: "invalid argument",
    11: "not supported by camera or library",
    12: "text conversion failed or string too long",
    13: "the camera was lost during preview",
    14: "mask file unreadable or invalid",
    15: "a file could not be read or written",
}


class NodrixError(Exception):
    """A call into the library failed.

    Attributes:
        code: the library's error code (``NODRIX_ERROR_...``); 0 when the
            library refused without recording one.
        text: the library's one-line description of the code.
        operation: what was being done, e.g. ``"Nodrix_SnapShot"``.
    """

    code: int = 0

    def __init__(self, message: str, code: Optional[int] = None, text: str = "",
                 operation: str = "") -> None:
        super().__init__(message)
        if code is not None:
            self.code = code
        self.text = text
        self.operation = operation
        #: The system's reason for a failed file read or write ("No such file
        #: or directory"), when the failure was one; else "".
        self.reason = ""


class LibraryNotFoundError(NodrixError, OSError):
    """The library could not be found or loaded."""


class NoCoreError(NodrixError):
    """No camera, or the operation is not allowed in the current mode (1)."""
    code = 1


class NotPresentError(NodrixError):
    """The camera is not present or not opened (2)."""
    code = 2


class ThreadError(NodrixError):
    """A worker thread or event could not be created (3)."""
    code = 3


class WindowError(NodrixError):
    """The preview window or the size preset is missing (4)."""
    code = 4


class ImageMemoryError(NodrixError):
    """Image memory is missing or a buffer is too small (5)."""
    code = 5


class CameraRequestError(NodrixError):
    """The camera refused a request or did not answer (6)."""
    code = 6


class CaptureWindowError(NodrixError, ValueError):
    """The capture window lies outside the sensor (7)."""
    code = 7


class FrameError(NodrixError):
    """A frame could not be acquired (8)."""
    code = 8


class FrameTimeoutError(FrameError, TimeoutError):
    """No frame arrived within the time allowed."""


class InvalidArgumentError(NodrixError, ValueError):
    """An argument was refused (9)."""
    code = 9


class NotSupportedError(NodrixError):
    """Not supported by this camera or this library (11)."""
    code = 11


class TextError(NodrixError, ValueError):
    """A text could not be converted or was too long (12)."""
    code = 12


class CameraLostError(NodrixError):
    """The camera was lost (13)."""
    code = 13


class MaskFileError(NodrixError):
    """A mask file is unreadable or invalid (14)."""
    code = 14


class FileError(NodrixError, OSError):
    """A file could not be read or written (15); ``reason`` says why, in the
    system's words."""
    code = 15


ERRORS_BY_CODE: dict[int, type[NodrixError]] = {
    cls.code: cls
    for cls in (NoCoreError, NotPresentError, ThreadError, WindowError, ImageMemoryError,
                CameraRequestError, CaptureWindowError, FrameError, InvalidArgumentError,
                NotSupportedError, TextError, CameraLostError, MaskFileError, FileError)
}


def fallback_text(code: int) -> str:
    """The description of an error code when the library cannot give one."""
    return _FALLBACK_TEXTS.get(code, "unknown error code")


def error_for(code: int, text: str, operation: str, reason: str = "") -> NodrixError:
    """The exception for a failure with this code, and the system's reason
    when a file read or write failed."""
    cls = ERRORS_BY_CODE.get(code, NodrixError)
    message = f"{operation} failed: error {code} ({text})"
    if reason:
        message += f": {reason}"
    error = cls(message, code=code, text=text, operation=operation)
    error.reason = reason
    return error
