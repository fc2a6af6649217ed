# Sources of the pages subsystem.
