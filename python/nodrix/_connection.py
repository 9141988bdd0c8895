"""One connection handle of the library, with the checks every call needs."""

from __future__ import annotations

import ctypes
from typing import Any

from . import errors
from ._library import Library


class Connection:
    """A handle of ``Nodrix_Initialize`` and the library it belongs to."""

    def __init__(self, lib: Library, handle: int) -> None:
        self.lib = lib
        self.handle = handle
        self.closed = False
        self.file_failed = False

    def check_open(self) -> None:
        """Raises NotPresentError once the handle was released."""
        if self.closed:
            raise errors.NotPresentError("the camera is closed", code=2,
                                         text=self.error_text(2), operation="camera")

    def refusal(self, operation: str, message: str,
                cls: type[errors.NodrixError] = errors.InvalidArgumentError) -> errors.NodrixError:
        """The exception for an argument refused before calling, with the
        library's text for its code."""
        return cls(message, code=cls.code, text=self.error_text(cls.code), operation=operation)

    def error_text(self, code: int) -> str:
        """The library's description of an error code."""
        if self.lib.NodrixEx_ErrorText is not None:
            text = self.lib.NodrixEx_ErrorText(code)
            if text:
                return text.decode("ascii", "replace")
        return errors.fallback_text(code)

    def pop_error(self) -> int:
        """Empties the connection's error stack and returns the newest nonzero
        code on it (0 when there was none).

        Successful calls may leave 0 records on the stack; they carry no
        failure and are passed over. Whether a failed file read or write was
        among the codes is kept in ``file_failed``.
        """
        newest = 0
        self.file_failed = False
        for _ in range(1024):  # the stack is bounded; so is this loop
            code = self.lib.Nodrix_GetLastError(self.handle)
            if code == 0:
                break
            if newest == 0:
                newest = code
            self.file_failed |= code == errors.FileError.code
        return newest

    def system_reason(self) -> str:
        """The system's reason for the last failed file read or write."""
        if self.lib.NodrixEx_GetLastSystemError is None:
            return ""
        text = ctypes.create_string_buffer(512)
        if not self.lib.NodrixEx_GetLastSystemError(self.handle, text, len(text)):
            return ""
        return text.value.decode("utf-8", "replace")

    def failure(self, operation: str, code: int | None = None) -> errors.NodrixError:
        """The exception for a failed call, with the code the library recorded
        (or ``code`` when the failure was found before calling), and the
        system's reason when a file read or write failed."""
        if code is None:
            code = self.pop_error()
        reason = self.system_reason() if code == errors.FileError.code or self.file_failed else ""
        return errors.error_for(code, self.error_text(code), operation, reason)

    def call(self, name: str, *arguments: Any) -> int:
        """Calls a 1/0 function and raises on 0."""
        self.check_open()
        if not getattr(self.lib, name)(self.handle, *arguments):
            raise self.failure(name)
        return 1

    def get(self, name: str, *arguments: Any) -> int:
        """Calls a getter with an ``int *ok`` last argument and raises when ok
        is 0."""
        self.check_open()
        ok = ctypes.c_int(0)
        value = getattr(self.lib, name)(self.handle, *arguments, ctypes.byref(ok))
        if not ok.value:
            raise self.failure(name)
        return value
