"""Register access: the FPGA, the image sensor and the configuration EEPROM."""

from __future__ import annotations

import ctypes

from ._connection import Connection


class RegisterFile:
    """One kind of register, read by indexing and written by assignment::

        value = camera.registers.fpga[16]
        camera.registers.sensor[0x3012] = 400
    """

    def __init__(self, connection: Connection, kind: str) -> None:
        self._connection = connection
        self._kind = kind

    def __getitem__(self, address: int) -> int:
        c = self._connection
        if self._kind == "fpga":
            # This getter clears ok on failure and leaves it alone on success.
            ok = ctypes.c_int(1)
            value = c.lib.Nodrix_Fpga_ReadRegister(c.handle, address, ctypes.byref(ok))
            if not ok.value:
                raise c.failure("Nodrix_Fpga_ReadRegister")
            return value & 0xFFFF
        if self._kind == "sensor":
            return c.get("Nodrix_ReadRegisterEx", address)
        return c.get("Nodrix_ReadSromID", address) & 0xFF

    def __setitem__(self, address: int, value: int) -> None:
        name = {"fpga": "Nodrix_Fpga_WriteRegister", "sensor": "Nodrix_WriteRegisterEx",
                "eeprom": "Nodrix_WriteSromID"}[self._kind]
        self._connection.call(name, address, value)

    def __repr__(self) -> str:
        return f"<nodrix {self._kind} registers>"


class Registers:
    """The camera's registers.

    Attributes:
        fpga: FPGA registers (8-bit numbers, 16-bit values).
        sensor: image sensor registers (16-bit values).
        eeprom: bytes of the configuration EEPROM (12-bit addresses).
    """

    def __init__(self, connection: Connection) -> None:
        self.fpga = RegisterFile(connection, "fpga")
        self.sensor = RegisterFile(connection, "sensor")
        self.eeprom = RegisterFile(connection, "eeprom")
