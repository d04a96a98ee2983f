/* A C view of the emulated adapter, for tests written in C against the public headers: one
 * emulated HID adapter over a lab circuit, attached behind tamro's backends in this process. */
#ifndef EMU_C_H
#define EMU_C_H

#ifdef __cplusplus
extern "C" {
#endif

/* Installs the emulated backends, attaches a fresh adapter and collects the libraries' boxes
 * and progress bars instead of showing them. */
void emu_c_start(void);
void emu_c_stop(void);
/* What the adapter received since emu_c_start: data pieces, their bytes, the end step. */
int emu_c_fpga_pieces(void);
int emu_c_fpga_bytes(void);
int emu_c_fpga_done(void);
/* Progress-bar events recorded since the last call. */
int emu_c_progress_events(void);

#ifdef __cplusplus
}
#endif

#endif
