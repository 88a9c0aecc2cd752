{\rtf1\ansi\deff0{\fonttbl{\f0 Courier New;}}
\pard\f0\fs20\b Macroscopy:\b0  \'a5\par
\par
\b Microscopy:\b0 \par
\par
\b Conclusion:\b0 \par}
