# Sources of the editor subsystem.
